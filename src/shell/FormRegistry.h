// The form registry: which parameter section opens which form class with which form kind. The table of the 32
// section names is fixed here; the form classes join it themselves as their units are linked in, with a static
//   static TFormClassRegistration Reg("TCOSForm", MakeFormFactory<TCOSForm>());
// (the program links the UI library whole, so such a unit is never dropped). A section whose class has not joined
// has an entry but no factory: opening it creates nothing.
//
// Entries are attached to description nodes through the attribute "FormInfo", which holds the entry's handle; a
// freed entry's handle resolves to nothing, so a stale attribute can never reach freed memory.
#pragma once

#include "common/FormKinds.h"
#include "common/Utilits.h"
#include "common/ui/BaseMDI.h"
#include "xml/HandleObject.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMdiArea;

struct TSectionForm {
    const char* Section;     // section name, compared exactly
    int Kind;                // the section's form kind (6 to 41)
    const char* FormClass;   // class name of the form
};
// The 32 sections in table order.
const std::vector<TSectionForm>& SectionForms();

// Creates a form for the main window's MDI area with the opener's kinds and the view parameters.
using TFormFactory = std::function<TBaseMDIForm*(QMdiArea* Area, const TFormKinds& Kinds, const TFormParams& Params)>;

template <class T>
TFormFactory MakeFormFactory()
{
    return [](QMdiArea* Area, const TFormKinds& Kinds, const TFormParams& Params) -> TBaseMDIForm* {
        return TBaseMDIForm::Create<T>(Area, Kinds, Params);
    };
}

// Installs the factory of a form class (an empty one removes it); returns the one it replaces.
TFormFactory RegisterFormClass(const std::string& ClassName, TFormFactory Factory);
// The factory of a class, or an empty one when the class has not joined.
TFormFactory FindFormClass(const std::string& ClassName);

struct TFormClassRegistration {
    TFormClassRegistration(const std::string& ClassName, TFormFactory Factory)
    {
        RegisterFormClass(ClassName, std::move(Factory));
    }
};

// One registry entry: the section's kinds and its form class.
class TBaseFormInfo : public THandleObject {
public:
    TBaseFormInfo(TFormKinds Kinds, std::string ClassName) : FormMask(Kinds), FormClass(std::move(ClassName)) {}
    TFormKinds FormMask;
    std::string FormClass;
    // The class's factory now (forms may join after the entry was made); empty when it has not joined.
    TFormFactory Factory() const { return FindFormClass(FormClass); }
};

// A new entry for a section name, or null for a name the registry does not know.
std::unique_ptr<TBaseFormInfo> MakeFormInfo(const std::string& SectionName);
// The entry a node's "FormInfo" attribute refers to, or null (no attribute, or a stale handle).
class TXmlNode;
TBaseFormInfo* FormInfoOf(const TXmlNode* Node);
