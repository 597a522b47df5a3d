// The grid folder builds into the Qt library; these units of it are Qt-free, so this Qt-free test program compiles
// them itself instead of linking the widgets.
#include "grid/XGridColors.cpp"
#include "grid/XGridLayout.cpp"
#include "grid/XStrGridColumns.cpp"
#include "grid/XStrGridModel.cpp"
#include "grid/XStrGridTexts.cpp"
