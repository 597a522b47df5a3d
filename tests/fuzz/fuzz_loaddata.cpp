// Arbitrary screen text through the screen-text parser: a fixed description that uses every parse attribute
// (records, repeated searches, template lists, formats, split lines, line shifts both ways) must take any text
// without a crash, a hang or an exception, parse it twice into one data document (the second time merging), and
// leave a document the save-script compiler can walk. No dialogs in a fuzz run.
#include "engine/DataManager.h"
#include "platform/Dialogs.h"
#include "support/RecordingDialogs.h"
#include "xml/XmlDoc.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {
const char* const DescriptionText = R"(<ORLANTIS Name="Fuzz Description">
  <PARAM Name="VMU Parameters 409">
    <PARAM Name="Section" StartStr="Program" StopStr="=> ">
      <SAVEPARAM Name="Begin"><MENUSTEP Send="1%CR%" StopAnswer="=> "/></SAVEPARAM>
      <ATTR Name="Mode" StartStr="Mode" Value="" FormatValue="R' ';R"/>
      <ATTR Name="Next" StartStr="Next" LineValue="Next" Value=""/>
      <ATTR Name="Prev" StartStr="Prev" LineValue="Prev" Value="" ShiftStr="-2"/>
      <ATTR Name="Whole" StartStr="Whole" WholeStrIsValue="Yes" Value="" NotNextLine="Yes"/>
      <PARAM Name="Time" StartStr="Time" FormatAttr="R':|.';R',\d\';R'\D\';R-2;S3;R">
        <ATTR Name="H" Value=""/><ATTR Name="M" Value="" PassEmptyValue="Yes"/><ATTR Name="X" Value="" StartStr="x"/>
        <PARAM Name="P" StartStr="y"/>
      </PARAM>
      <ATTR Name="Box %V%" StartStr="Box [" StopStr="End" Value="" ShiftStr="1">
        <SAVEPARAM Name="Begin">
          <CONDITION Name="IF_1" LeftOp="%ATTR:Value%" Compare="!=" RightOp="">
            <MENUSTEP Send="M%ATTR:Value%%CR%%ATTR:Value:\Mode%%CR%" StopAnswer="=> "/>
          </CONDITION>
        </SAVEPARAM>
        <ATTR Name="Ext" StartStr="Ext" Value=""/>
        <ATTR Name="Name %V%" StartStr="Name" Value="" FormatValue="S2;R-1;R'^'x;R"/>
      </ATTR>
      <PARAM Name="COS %T%" TemplateAttr="%1..4, 9, x..y, 08..10%" StartStr="COS %T%" StopStr="End">
        <ATTR Name="Days of %%T%%" StartStr="Days" Value=""/>
      </PARAM>
      <PARAM Name="Pages" StartStr="Page" StopStr="End of Page" RepeatSearch="Yes">
        <ATTR Name="Item %V%" StartStr="[" Value="" ShiftStr="-1"/>
      </PARAM>
      <PARAM Name="Split" StartStr="Split" StopStr="End" ConvertToStrings="Left:1,Find:',',Count:5">
        <ATTR Name="Piece %V%" StartStr="" WholeStrIsValue="Yes" Value=""/>
        <ATTR Name="Any %V%" StartStr="-" WholeStrIsValue="Yes" Value="" LineValue="Next"/>
      </PARAM>
      <PARAM Name="Cells" StartStr="Cells" ConvertToStrings="Width:3" RepeatSearch="Yes">
        <ATTR Name="Cell %V%" StartStr="(" Value="" NotNextLine="Yes" ShiftStr="1"/>
      </PARAM>
    </PARAM>
  </PARAM>
</ORLANTIS>)";

TXmlDoc& description()
{
    static TXmlDoc* d = [] {
        auto* doc = new TXmlDoc;
        doc->ShowErrors = false;
        doc->XmlText = DescriptionText;
        if (!doc->ParseText())
            std::abort();
        return doc;
    }();
    return *d;
}
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    static TSilentDialogs dialogs;
    static TDialogsScope scope(&dialogs);
    std::string text(reinterpret_cast<const char*>(Data), Size);
    TXmlDoc& desc = description();
    TXmlNode* params = desc.FindNode(nullptr, "VMU Parameters 409");
    TXmlDoc data(&desc);
    TDataManager manager(&data, &desc);
    if (!manager.LoadData(params, text, "Section"))
        std::abort();
    int once = data.NodeCount();
    if (!manager.LoadData(params, text, "Section") || data.NodeCount() != once)
        std::abort();
    auto steps = manager.GetSaveSteps(params, "Section", false);
    if (!steps)
        std::abort();
    for (const auto& s : *steps)
        for (char c : s->Send)
            if (static_cast<unsigned char>(c) < 32 && c != '\r')
                std::abort();   // a value from the screen must never type a control key
    return 0;
}
