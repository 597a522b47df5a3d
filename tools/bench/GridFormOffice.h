// The simulator's office for the section-window benchmark: the default state (data/vmusim/default.state) read from
// vmusim by the engine as Load all reads it. Kept apart from the benchmark's own unit because the engine's headers
// and the grid's name some constants alike.
#pragma once

#include <string>

class TDataManager;
class TXmlDoc;

// Fills Data (a data document over View, the built description) from a simulator started here; answers the data
// manager that made it (it lives until ReleaseOffice), or null with Why set when there is no office.
TDataManager* LoadOffice(TXmlDoc& Data, TXmlDoc& View, std::string& Why);
void ReleaseOffice();
