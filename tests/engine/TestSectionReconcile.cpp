// Marks worked out afresh after a write cut short: each case gives the section as the window left it (with its
// marks), the section as the device now shows it, and the marks that take the device to the window's state.
#include "engine/ChangeSet.h"
#include "engine/SectionReconcile.h"
#include "xml/XmlDoc.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

// A record made and removed by its script ("R %T%"), with a name and members set in place, and a compact list of
// entries ("E %T%") addressed by place.
const char* const Description = R"(<D Name="d"><PARAM Name="Sec" Change="NoChange">
  <ATTR Name="R %T%" Value="" Change="NoChange">
    <SAVEPARAM Name="Begin">
      <CONDITION LeftOp="%ATTR:Change%" Compare="=" RightOp="Insert"/>
      <CONDITION LeftOp="%ATTR:Change%" Compare="=" RightOp="Modify"/>
      <CONDITION LeftOp="%ATTR:Change%" Compare="=" RightOp="Delete"/>
    </SAVEPARAM>
    <ATTR Name="Name" Value="" Change="NoChange" EmptiesRecord="Yes"/>
    <ATTR Name="M %T%" Value="d" Change="NoChange"/>
  </ATTR>
  <ATTR Name="E %T%" Value="" Change="NoChange" ParseValue="%T%">
    <SAVEPARAM Name="Begin">
      <CONDITION LeftOp="%ATTR:Change%" Compare="=" RightOp="Insert"/>
      <CONDITION LeftOp="%ATTR:Change%" Compare="=" RightOp="Delete"/>
    </SAVEPARAM>
  </ATTR>
  <ATTR Name="Lamp" Value="" Change="NoChange" Resets="Key"/>
  <ATTR Name="Fixed %T%" Value="" Change="NoChange"><ATTR Name="Key" Value="" Change="NoChange"/></ATTR>
  <ATTR Name="Auth" Value="" Change="NoChange" Resets="Dep; Keep ;Dial">
    <ATTR Name="Dep" Value="" Change="NoChange"/>
    <ATTR Name="Keep" Value="" Change="NoChange"/>
  </ATTR>
  <ATTR Name="Dial" Value="" Change="NoChange">
    <SAVEPARAM Name="Begin"><CONDITION LeftOp="[%ATTR:Value%]" Compare="=" RightOp="[]"/></SAVEPARAM>
  </ATTR>
  <ATTR Name="Other" Value="" Change="NoChange"/>
  <ATTR Name="Num" Value="" Change="NoChange" Resets="Kind">
    <SAVEPARAM Name="Begin"><CONDITION LeftOp="[%ATTR:Value%]" Compare="=" RightOp="[]"/></SAVEPARAM>
  </ATTR>
  <ATTR Name="Kind" Value="" Change="NoChange"/>
  <ATTR Name="P1" Value="" Change="NoChange" Distinct="1..5"/>
  <ATTR Name="P2" Value="" Change="NoChange" Distinct="1..5"/>
  <ATTR Name="P3" Value="" Change="NoChange" Distinct="1..5"/>
  <ATTR Name="Count" Value="" Change="NoChange">
    <VIEWPARAM Name="Cell Info"><GATTR Name="ValueType" Value="vtRangeInteger"/></VIEWPARAM>
  </ATTR>
  <ATTR Name="Day" Value="" Change="NoChange">
    <VIEWPARAM Name="Cell Info"><GATTR Name="ValueType" Value="vtMaskedString"/><GATTR Name="InputMask" Value="0123456789/"/></VIEWPARAM>
  </ATTR>
</PARAM></D>)";

struct TDocs {
    TDocs()
    {
        Desc.ShowErrors = false;
        Desc.XmlText = Description;
        EXPECT_TRUE(Desc.ParseText());
    }
    TXmlDoc Desc;

    // A tree from "name[!mark][=value][(children)]" items separated by commas; marks N, M, I, D.
    std::unique_ptr<TXmlNode> Build(const std::string& Spec)
    {
        auto Section = std::make_unique<TXmlNode>("PARAM");
        Section->SetName("Sec");
        Section->SetAttr("Change", "NoChange");
        Section->SetTemplate(Desc.FindNode(nullptr, "Sec"));
        size_t At = 0;
        Items(Section.get(), Spec, At);
        return Section;
    }

    void Items(TXmlNode* Parent, const std::string& S, size_t& At)
    {
        while (At < S.size() && S[At] != ')') {
            const size_t End = S.find_first_of("!=(),", At);
            const std::string Name = S.substr(At, End == std::string::npos ? std::string::npos : End - At);
            At = End == std::string::npos ? S.size() : End;
            TXmlNode* Node = Parent->AddChild("ATTR");
            Node->SetName(Name);
            Node->SetAttr("Value", "");
            Node->SetAttr("Change", "NoChange");
            for (const auto& T : Parent->GetTemplate()->Nodes) {
                const std::string Pattern = T->GetName();
                const size_t Field = Pattern.find("%T%");
                if (Field == std::string::npos ? Pattern == Name : Name.rfind(Pattern.substr(0, Field), 0) == 0) {
                    Node->SetTemplate(T.get());
                    if (T->Attrs.Find("ParseValue"))
                        Node->SetAttr("ParseValue", Name.substr(Field));
                    break;
                }
            }
            if (At < S.size() && S[At] == '!') {
                static const std::string Marks[] = {"NoChange", "Modify", "Insert", "Delete"};
                Node->SetAttr("Change", Marks[std::string("NMID").find(S[At + 1])]);
                At += 2;
            }
            if (At < S.size() && S[At] == '=') {
                const size_t End = S.find_first_of("(),", At + 1);
                Node->SetAttr("Value", S.substr(At + 1, End == std::string::npos ? std::string::npos : End - At - 1));
                At = End == std::string::npos ? S.size() : End;
            }
            if (At < S.size() && S[At] == '(') {
                ++At;
                Items(Node, S, At);
                ++At;
            }
            if (At < S.size() && S[At] == ',')
                ++At;
        }
    }
};

// The marks and values below the section, as Build reads them (the place an entry is addressed by after "@").
std::string Shown(const TXmlNode* Node)
{
    std::string S;
    for (const auto& C : Node->Nodes) {
        S += (S.empty() ? "" : ",") + C->GetName() + "!" + C->GetAttr("Change").substr(0, 1);
        if (!C->GetValue().empty())
            S += "=" + C->GetValue();
        if (C->Attrs.Find("ParseValue"))
            S += "@" + C->GetAttr("ParseValue");
        if (C->HasChildren())
            S += "(" + Shown(C.get()) + ")";
    }
    return S;
}

struct TCase {
    const char* What;
    TReconcileKind Kind;
    const char* Wanted;   // the window's section with the marks it was sent with
    const char* Device;   // what the device shows after the cut
    const char* Marked;   // the marks that take the device to the window's state
    const char* Section;  // the section's own mark
};

const TCase Cases[] = {
    {"a new record the device made with its first member is completed in place", rkKeyed,
        "R 1!I=1(Name!M=A,M 1!M=x,M 2!M=y)", "R 1=1(Name=A,M 1=x)",
        "R 1!M=1(Name!N=A,M 1!N=x,M 2!M=y)", "Modify"},
    {"a new record the device never made is still made", rkKeyed, "R 1!I=1(Name!M=A,M 1!M=x)", "",
        "R 1!I=1(Name!M=A,M 1!M=x)", "Modify"},
    {"a deletion the device already carried out is not sent again", rkKeyed, "R 1!D=1(Name=A),R 2=2(Name=B)",
        "R 2=2(Name=B)", "R 2!N=2(Name!N=B)", "NoChange"},
    {"a deletion still to do stays", rkKeyed, "R 1!D=1(Name=A),R 2=2(Name!M=C)", "R 1=1(Name=A),R 2=2(Name=B)",
        "R 1!D=1(Name!N=A),R 2!M=2(Name!M=C)", "Modify"},
    {"a record the device has and nobody wants is deleted first", rkKeyed, "R 2=2(Name=B)",
        "R 2=2(Name=B),R 9=9(Name=Z)", "R 9!D=9(Name!N=Z),R 2!N=2(Name!N=B)", "Modify"},
    {"a record the device lost is made again with all its values", rkKeyed, "R 1=1(Name=A,M 1=x,M 2)", "",
        "R 1!I=1(Name!M=A,M 1!M=x,M 2!N)", "Modify"},
    {"a record without a deletion script is left alone", rkKeyed, "Fixed 1(Key=a)", "Fixed 1(Key=b),Fixed 2(Key=c)",
        "Fixed 1!M(Key!M=a)", "Modify"},
    {"equal is unchanged, just inside; one differing value is just outside", rkKeyed,
        "R 1!M=1(Name!M=A,M 1!M=x),R 2!M=2(Name!M=B)", "R 1=1(Name=A,M 1=x),R 2=2(Name=b)",
        "R 1!N=1(Name!N=A,M 1!N=x),R 2!M=2(Name!M=B)", "Modify"},
    {"a group the device rebuilt half-way and lost is made anew", rkReplaceChanged,
        "R 1!D=1(Name=A,M 1=x,M 2=y),R 1!I=1(Name!M=A,M 1!M=x,M 2!M=z)", "",
        "R 1!I=1(Name!M=A,M 1!M=x,M 2!M=z)", "Modify"},
    {"a group whose stored member differs is deleted and made anew", rkReplaceChanged,
        "R 1!I=1(Name!M=A,M 1!M=x,M 2!M=z)", "R 1=1(Name=A,M 1=x,M 2=y)",
        "R 1!D=1(Name!N=A,M 1!N=x,M 2!N=y),R 1!I=1(Name!M=A,M 1!M=x,M 2!M=z)", "Modify"},
    {"a group the device holds in part is completed by appending", rkReplaceChanged,
        "R 1!I=1(Name!M=A,M 1!M=x,M 2!M=z)", "R 1=1(Name=A,M 1=x)", "R 1!M=1(Name!N=A,M 1!N=x,M 2!M=z)",
        "Modify"},
    {"list: the first of two stores went through (a deletion)", rkPlaces,
        "E 1=221,E 99!D=222,E 3=223,E 4!I=224,E 5!I=225", "E 1=221,E 2=223",
        "E 1!N=221@1,E 3!N=223@2,E 4!I=224@3,E 5!I=225@4", "Modify"},
    {"list: an addition went through unconfirmed", rkPlaces, "E 1=221,E 99!D=222,E 3=223,E 4!I=224,E 5!I=225",
        "E 1=221,E 2=223,E 3=224", "E 1!N=221@1,E 3!N=223@2,E 4!N=224@3,E 5!I=225@4", "Modify"},
    {"list: nothing went through; a deletion addresses the place left by the one before", rkPlaces,
        "E 1=221,E 2!D=222,E 3!D=223,E 4=224", "E 1=221,E 2=222,E 3=223,E 4=224",
        "E 1!N=221@1,E 2!D=222@2,E 3!D=223@2,E 4!N=224@2", "Modify"},
    {"list: the device already holds it all", rkPlaces, "E 1=221,E 2!I=230", "E 1=221,E 2=230",
        "E 1!N=221@1,E 2!N=230@2", "NoChange"},
    {"a store that resets others is not sent again when the device holds its value", rkKeyed,
        "Auth!M=Yes(Dep!M=105,Keep!M=No)", "Auth=Yes(Dep=105,Keep=Yes)", "Auth!N=Yes(Dep!N=105,Keep!M=No)",
        "Modify"},
    {"a store that resets others is sent when the device lacks its value", rkKeyed, "Auth!M=Yes(Dep!M=105)",
        "Auth=No", "Auth!M=Yes(Dep!M=105)", "Modify"},
    {"a number and a date the device holds in its own forms are the values wanted, in those forms", rkKeyed,
        "Count!M=05,Day!M=01/04", "Count=5,Day=1/4", "Count!N=5,Day!N=1/4", "NoChange"},
};

} // namespace

TEST(ReconcileSection, MarksTakeTheDeviceFromWhatItHoldsToWhatIsWanted)
{
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.What);
        TDocs D;
        std::unique_ptr<TXmlNode> Wanted = D.Build(C.Wanted);
        TXmlNode* FirstLive = nullptr;
        for (const auto& N : Wanted->Nodes)
            if (N->GetAttr("Change") != "Delete" && !FirstLive)
                FirstLive = N.get();
        const std::string FirstLiveName = FirstLive ? FirstLive->GetName() : "";
        ReconcileSection(Wanted.get(), D.Build(C.Device), C.Kind);
        EXPECT_EQ(Shown(Wanted.get()), C.Marked);
        EXPECT_EQ(Wanted->GetAttr("Change"), C.Section);
        if (FirstLive) {
            bool Kept = false;
            for (const auto& N : Wanted->Nodes)
                Kept = Kept || N.get() == FirstLive;
            EXPECT_TRUE(Kept) << "the wanted node " << FirstLiveName << " is the same object, which a window is bound to";
        }
    }
}

TEST(ReconcileSection, KindsFollowTheSectionsAddressing)
{
    EXPECT_EQ(ReconcileKindOf("Alternate Extension"), rkPlaces);
    EXPECT_EQ(ReconcileKindOf("Mailbox Group"), rkReplaceChanged);
    EXPECT_EQ(ReconcileKindOf("Extension Group"), rkReplaceChanged);
    EXPECT_EQ(ReconcileKindOf("Holiday Listing"), rkKeyed);
}

// Which values a store brings after it: those it names, below its parent and after it, not already to be sent.
TEST(ReconcileSection, AStoreToBeSentBringsTheValuesItResetsAfterIt)
{
    struct {
        const char* What;
        const char* Section;  // Auth is the store
        const char* Marked;
        size_t Count;         // how many were marked
    } const Cases[] = {
        {"its dependents and a later value it names, an empty one only where its script can empty it",
            "Other=1,Auth!M=Yes(Dep=999,Keep),Dial,Other=2",
            "Other!N=1,Auth!M=Yes(Dep!M=999,Keep!N),Dial!M,Other!N=2", 2},
        {"a value named before the store is not brought after it", "Dial=F,Auth!M=Yes(Dep!M=5)",
            "Dial!N=F,Auth!M=Yes(Dep!M=5)", 0},
        {"an empty store brings nothing", "Auth!M(Dep=1),Dial=F", "Auth!M(Dep!N=1),Dial!N=F", 0},
        {"a value to be deleted or inserted keeps its mark", "Auth!M=No(Dep!D=1,Keep!I=2)",
            "Auth!M=No(Dep!D=1,Keep!I=2)", 0},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.What);
        TDocs D;
        std::unique_ptr<TXmlNode> Section = D.Build(C.Section);
        TXmlNode* Store = Section->Nodes.FindByName("Auth");
        ASSERT_NE(Store, nullptr);
        EXPECT_TRUE(StoreResetsOthers(Store));
        EXPECT_FALSE(StoreResetsOthers(Section->Nodes.FindByName("Dial")));
        std::vector<TXmlNode*> Marked;
        MarkResetValues(Store, &Marked);
        EXPECT_EQ(Shown(Section.get()), C.Marked);
        EXPECT_EQ(Marked.size(), C.Count);
    }
}

// Values the device keeps different: each store that would meet a value another still holds goes through a free
// one (the script sends the value's own after all of them); the plan is made from what the device holds.
TEST(ReconcileSection, DistinctValuesPassThroughAFreeOneWhereAnotherStillHoldsTheirs)
{
    struct {
        const char* What;
        const char* Wanted;
        const char* Device;
        const char* Through;   // each distinct value's "Through", "-" for none
    } const Cases[] = {
        {"two exchanged", "P1=2,P2=1,P3=3", "P1=1,P2=2,P3=3", "4--"},
        {"three in a cycle", "P1=2,P2=3,P3=1", "P1=1,P2=2,P3=3", "45-"},
        {"a chain needs no free value when the one it meets moves first", "P1=4,P2=1,P3=3", "P1=1,P2=2,P3=3",
            "---"},
        {"a value that reaches the one held by a later value", "P1=1,P2=3,P3=4", "P1=1,P2=2,P3=3", "-5-"},
        {"the device already holds them", "P1=2,P2=1,P3=3", "P1=2,P2=1,P3=3", "---"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.What);
        TDocs D;
        std::unique_ptr<TXmlNode> Wanted = D.Build(C.Wanted);
        Wanted->Nodes.Items(0)->SetAttr("Through", "9");   // a plan left from before is not kept
        ReconcileSection(Wanted.get(), D.Build(C.Device), rkKeyed);
        std::string Through;
        for (const auto& N : Wanted->Nodes)
            Through += N->Attrs.Find("Through") ? N->GetAttr("Through") : "-";
        EXPECT_EQ(Through, C.Through);
    }
}

// The rule of a write after a cut: from the window's records before an Apply, the same records after it (the
// change set), and the section as the device shows it, what a retry sends and what a put-back sends or names.
TEST(ChangeSet, ARetryAndAPutBackTouchOnlyTheChangeAndPutBackOnlyWhatItLeft)
{
    struct {
        const char* What;
        const char* Scope;    // the window's record ("": the whole section)
        const char* Before;   // the section before the Apply
        const char* Applied;  // after it, with its marks
        const char* Device;   // read back after the cut
        const char* Retry;    // "path=value" sent by a retry, "path-" taken away
        const char* PutBack;
        const char* Thirds;
        TReconcileKind Kind = rkKeyed;
        bool KeepsCase = false;
        const char* Then = nullptr;    // a later Apply of the window, cut too: merged into the change set
        const char* Again = nullptr;   // the device after the put-back was cut in turn: put back there
        const char* After = nullptr;   // the device's section with the put-back's targets applied
        int Counted = -1;              // the values a failure box counts
        const char* LeftOut = nullptr;  // the name of nodes the window's copy leaves out below
    } const Cases[] = {
        {"another device: values outside the change stay, a third value is named", "",
            "Other=1,Dial=5", "Other!M=2,Dial=5", "Other=3,Dial=9", "Other=2", "", "Other:3"},
        {"the device holds the wanted value", "", "Other=1", "Other!M=2", "Other=2", "", "Other=1", ""},
        {"the device holds the value before", "", "Other=1", "Other!M=2", "Other=1", "Other=2", "", ""},
        {"the device shows the wanted value in capitals", "", "Other=a", "Other!M=x123", "Other=X123", "", "Other=a",
            ""},
        {"a record window never writes another record", "R 1",
            "R 1=1(Name=A),R 2=2(Name=B)", "R 1=1(Name!M=C),R 2=2(Name=B)", "R 1=1(Name=C),R 2=2(Name=Z)", "",
            "R 1/Name=A", ""},
        {"a record taken away is made again whole", "", "R 1=1(Name=A,M 1=x),R 2=2(Name=B)",
            "R 1!D=1(Name=A,M 1=x),R 2=2(Name=B)", "R 2=2(Name=B)", "", "R 1=1", ""},
        {"a record taken away that the device still holds", "", "R 1=1(Name=A),R 2=2(Name=B)",
            "R 1!D=1(Name=A),R 2=2(Name=B)", "R 1=1(Name=A),R 2=2(Name=B)", "R 1-", "", ""},
        {"a record made is taken away whole", "", "R 2=2(Name=B)", "R 2=2(Name=B),R 3!I=3(Name!M=N)",
            "R 2=2(Name=B),R 3=3(Name=N)", "", "R 3-", ""},
        {"a store the device took is put back with what it reset", "", "Auth=No(Dep=5),Dial=1",
            "Auth!M=Yes(Dep=5),Dial=1", "Auth=Yes(Dep=3),Dial=", "Auth/Dep=5;Dial=1", "Auth=No;Auth/Dep=5;Dial=1",
            ""},
        {"a store the device did not take leaves its dependents to the rule", "", "Auth=No(Dep=5),Dial=1",
            "Auth!M=Yes(Dep=5),Dial=1", "Auth=No(Dep=7),Dial=1", "Auth=Yes;Auth/Dep=5", "", "Auth/Dep:7"},
        // A group the device deletes and makes anew: cut while it was made again, it lacks values nobody changed.
        {"a group made again in part gets back its unchanged values too", "", "R 1=1(Name=A,M 1=x,M 2=y),R 2=2(Name=B)",
            "R 1=1(Name=A,M 1=x,M 2!M=z),R 2=2(Name=B)", "R 1=1(M 1=x),R 2=2(Name=C)", "R 1/M 2=z;R 1/Name=A",
            "R 1/M 2=y;R 1/Name=A", "", rkReplaceChanged},
        // A compact list: entries told by their values, the others staying where the device holds them.
        {"list: a deletion taken is appended again; an entry lost by other means stays lost", "",
            "E 1=221,E 2=222,E 3=223", "E 1=221,E 2=223,E 101!D=222", "E 1=223", "", "E 2=222", "", rkPlaces},
        {"list: an entry nobody here stored stays, and keeps the list from being put back", "",
            "E 1=221,E 2=222", "E 1=221,E 2!I=230,E 101!D=222", "E 1=222,E 2=500,E 3=230", "E 1-", "", "E 2:500",
            rkPlaces},
        {"list: a changed entry the device took is taken away and the one before appended", "", "E 1=221,E 2=222",
            "E 1=221,E 2!I=230,E 101!D=222", "E 1=230,E 2=221", "", "E 1-;E 3=222", "", rkPlaces},
        {"list: a value the device holds fewer of than before and wanted is not made up by a put-back", "",
            "E 1=221,E 2=222", "E 1=221,E 2=222,E 3!I=221", "E 1=222", "E 2=221;E 3=221", "", "", rkPlaces},
        {"a number the document lacked is emptied, and what its store reset goes with it", "", "Other=1",
            "Num!M=5,Kind!M=b,Other=1", "Num=5,Kind=a,Other=1", "Kind=b", "Kind-;Num=", ""},
        {"a record the document lacked goes through its values, whatever the device made in it", "", "Other=1",
            "Fixed 1=1(Key!M=a),Other=1", "Fixed 1=1(Key=b),Other=1", "Fixed 1/Key=a", "Fixed 1/Key-", ""},
        {"a value emptied by other means is a third value: only the change's own store empties", "",
            "Other=1,Kind=2", "Other!M=,Kind!M=5", "Other=,Kind=", "Kind=5", "Other=1", "Kind:"},
        {"a record made and changed on the device since stays, and what differs is named", "", "R 2=2(Name=B)",
            "R 2=2(Name=B),R 3!I=3(Name!M=N,M 1!M=x)", "R 2=2(Name=B),R 3=3(Name=Z,M 1=x)", "R 3/Name=N", "",
            "R 3/Name:Z", rkKeyed, false, nullptr, nullptr, nullptr, 1},
        {"a record made in part holds what the device gives it: taken away", "", "R 2=2(Name=B)",
            "R 2=2(Name=B),R 3!I=3(Name!M=N,M 1!M=x)", "R 2=2(Name=B),R 3=3(Name=N,M 1=d)", "R 3/M 1=x", "R 3-",
            ""},
        {"a put-back cut while making a record again is completed, the device's default what the cut left", "",
            "R 1=1(Name=A,M 1=x),R 2=2(Name=B)", "R 1!D=1(Name=A,M 1=x),R 2=2(Name=B)", "R 2=2(Name=B)", "",
            "R 1/M 1=x", "", rkKeyed, false, nullptr, "R 1=1(Name=A,M 1=d),R 2=2(Name=B)"},
        {"a record's values its emptied name made the device empty are left by the change", "",
            "R 1=1(Name=A,M 1=x)", "R 1=1(Name!M=,M 1!M=d)", "R 1=1(Name=,M 1=)", "R 1/M 1=d",
            "R 1/M 1=x;R 1/Name=A", ""},
        {"a value kept apart from others is not given back what a third value holds; nothing is sent", "",
            "P1=1,P2=2,P3=3", "P1!M=4,P2=2,P3=3", "P1=4,P2=1,P3=3", "", "", "P2:1"},
        {"values kept apart that the change exchanged are exchanged back", "", "P1=1,P2=2,P3=3",
            "P1!M=2,P2!M=1,P3=3", "P1=2,P2=1,P3=3", "", "P1=1;P2=2", ""},
        {"a firmware keeping case: a case-only edit is retried", "", "Other=SUSAN", "Other!M=Susan", "Other=SUSAN",
            "Other=Susan", "", "", rkKeyed, true},
        {"a firmware keeping case: a case-only edit is put back", "", "Other=SUSAN", "Other!M=Susan", "Other=Susan",
            "", "Other=SUSAN", "", rkKeyed, true},
        {"a record made again takes the place it had", "", "Other=1,R 1=1(Name=A),R 2=2(Name=B)",
            "Other=1,R 1!D=1(Name=A),R 2=2(Name=B)", "Other=1,R 2=2(Name=B)", "", "R 1=1", "", rkKeyed, false,
            nullptr, nullptr, "Other!N=1,R 1!N=1(Name!N=A),R 2!N=2(Name!N=B)", 1},
        {"a record to be there is no deletion", "", "R 1=1(Name=A)", "R 1!D=1(Name=A)", "R 1!D=1(Name=A)", "",
            "R 1=1", "", rkKeyed, false, nullptr, nullptr, "R 1!N=1(Name!N=A)"},
        {"a value emptied with the store that resets it, not shown, is left", "", "Auth=No(Dep=5),Dial=1",
            "Auth!M=Yes(Dep=5),Dial=1", "Auth=Yes,Dial=1", "Auth/Dep=5", "Auth=No;Auth/Dep=5;Dial=1", ""},
        {"a value its resetting store reset is sent again after it, even at its value before", "",
            "Auth=No(Dep=5),Dial=1", "Auth!M=Yes(Dep=5),Dial=1", "Auth=Yes(Dep=5),Dial=1", "",
            "Auth=No;Auth/Dep=5;Dial=1", ""},
        {"a value the document lacked, changed again by a later Apply, resets through its store: no record made "
         "through its values", "", "Other=1", "Auth!M=Yes(Dep!M=5),Other=1", "Auth=No(Dep=5),Other=1", "",
            "Auth-;Auth/Dep-", "", rkKeyed, false, "Auth!M=No(Dep!M=5),Other=1"},
        {"a group changed and lost is made again whole", "", "R 1=1(Name=A,M 1=x),R 2=2(Name=B)",
            "R 1=1(Name=A,M 1!M=y),R 2=2(Name=B)", "R 2=2(Name=B)", "R 1=1", "R 1=1", "", rkReplaceChanged, false,
            nullptr, nullptr, "R 1!N=1(Name!N=A,M 1!N=x),R 2!N=2(Name!N=B)"},
        {"a group made again in part gets its values back in their order", "", "R 1=1(Name=A,M 1=x,M 2=y)",
            "R 1=1(Name=A,M 1=x,M 2!M=z)", "R 1=1(M 2=z)", "R 1/M 1=x;R 1/Name=A", "R 1/M 1=x;R 1/M 2=y;R 1/Name=A",
            "", rkReplaceChanged, false, nullptr, nullptr, "R 1!N=1(Name!N=A,M 1!N=x,M 2!N=y)"},
        {"list: an entry an earlier Apply of the window stored is no third value", "", "E 1=221",
            "E 1=221,E 2!I=230", "E 1=221,E 2=230", "E 2-;E 3=240", "E 2-", "", rkPlaces, false,
            "E 1=221,E 2!I=240", nullptr, "E 1!N=221@1"},
        {"list: entries are named by their places from 1", "", "E 1=221,E 2=222,E 3=223",
            "E 1=221,E 2=223,E 101!D=222", "E 1=221,E 2=223", "", "E 3=222", "", rkPlaces, false, nullptr, nullptr,
            "E 1!N=221@1,E 2!N=223@2,E 3!N=222@1"},
        {"the device shows the wanted number and date in its own forms", "", "Count=3,Day=2/3",
            "Count!M=05,Day!M=01/04", "Count=5,Day=1/4", "", "Count=3;Day=2/3", ""},
        {"a part the window's copy left out is no change of it", "", "Auth=No(Dep=5),Other=1",
            "Auth=No(Dep=5),Other!M=2", "Auth=No(Dep=5),Other=2", "", "Other=1", "", rkKeyed, false, nullptr, nullptr,
            nullptr, -1, "Auth"},
        {"a record taken away is made again whole with the part its copy left out", "",
            "R 1=1(Name=A,M 1=x(Z=z)),R 2=2(Name=B)", "R 1!D=1(Name=A,M 1=x(Z=z)),R 2=2(Name=B)", "R 2=2(Name=B)", "",
            "R 1=1", "", rkKeyed, false, nullptr, nullptr, "R 1!N=1(Name!N=A,M 1!N=x(Z!N=z)),R 2!N=2(Name!N=B)", -1,
            "M 1"},
        {"a value a store resets where the window's copy left it out is sent again after it", "",
            "Lamp=1,Fixed 1=1(Key=a)", "Lamp!M=2,Fixed 1=1(Key=a)", "Lamp=2,Fixed 1=1(Key=)", "Fixed 1/Key=a",
            "Fixed 1/Key=a;Lamp=1", "", rkKeyed, false, nullptr, nullptr, nullptr, -1, "Fixed 1"},
        {"a record taken away and changed on the device since: a value its copy left out is named", "",
            "R 1=1(Name=A,M 1=x(Z=z)),R 2=2(Name=B)", "R 1!D=1(Name=A,M 1=x(Z=z)),R 2=2(Name=B)",
            "R 1=1(Name=A,M 1=x(Z=q)),R 2=2(Name=B)", "R 1-", "", "R 1/M 1/Z:q", rkKeyed, false, nullptr, nullptr,
            nullptr, -1, "M 1"},
    };
    auto Text = [](const std::vector<TTarget>& Targets) {
        std::string S;
        for (const TTarget& T : Targets) {
            std::string Path = PathText(T.Path);
            for (size_t At; (At = Path.find(" / ")) != std::string::npos;)
                Path.replace(At, 3, "/");
            S += (S.empty() ? "" : ";") + Path + (T.Value ? "=" + *T.Value : "-");
        }
        return S;
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.What);
        TDocs D;
        std::unique_ptr<TXmlNode> Before = D.Build(C.Before), Applied = D.Build(C.Applied);
        const TXmlNode* Scope = *C.Scope ? Applied->Nodes.FindByName(C.Scope) : Applied.get();
        const TXmlNode* Copied = *C.Scope ? Before->Nodes.FindByName(C.Scope) : Before.get();
        std::unique_ptr<TXmlNode> Was = C.LeftOut ? CopyLeavingOut(Copied,
                                                        [&](const TXmlNode* N) { return N->GetName() == C.LeftOut; })
                                                  : Copied->Clone(true);
        TChangeSet Changes = ChangesOfApply("Sec", Was.get(), Scope, C.Kind, C.KeepsCase);
        if (C.Then)
            MergeChanges(Changes, ChangesOfApply("Sec", Applied.get(), D.Build(C.Then).get(), C.Kind, C.KeepsCase));
        std::unique_ptr<TXmlNode> Held = D.Build(C.Device);
        TValueMap Device;
        CollectValues(Held.get(), "", Device);
        EXPECT_EQ(Text(RetryTargets(Changes, Device)), C.Retry);
        if (C.Again) {
            KeepPutBackCut(Changes, PlanPutBack(Changes, Device).Sends, Device);
            Held = D.Build(C.Again);
            Device.clear();
            CollectValues(Held.get(), "", Device);
        }
        const TPutBackPlan Plan = PlanPutBack(Changes, Device);
        if (C.After) {
            ApplyTargets(Held.get(), Changes, Plan.Sends, [&](const std::string& Path) { return Changes.RemovedAt(Path); });
            EXPECT_EQ(Shown(Held.get()), C.After);
        }
        if (C.Counted >= 0) {
            int Took = 0, Total = 0;
            CountChanges(Changes, [](const std::string&) { return true; }, Took, Total);
            EXPECT_EQ(Total, C.Counted);
        }
        EXPECT_EQ(Text(Plan.Sends), C.PutBack);
        std::string Thirds;
        for (const TThird& T : Plan.Thirds)
            Thirds += (Thirds.empty() ? "" : ";") + Text({{T.Path, {}}}).substr(0, Text({{T.Path, {}}}).size() - 1) +
                ":" + T.Held;
        EXPECT_EQ(Thirds, C.Thirds);
        EXPECT_EQ(Plan.Whole(), !*C.Thirds);
    }
}

// Two Applies of one window, both cut: the device may hold either's value, and the put-back takes either back.
TEST(ChangeSet, ALaterApplyOfTheSameWindowKeepsTheFirstValueBefore)
{
    TDocs D;
    std::unique_ptr<TXmlNode> First = D.Build("Other=1"), Second = D.Build("Other!M=2"), Third = D.Build("Other!M=3");
    TChangeSet Held = ChangesOfApply("Sec", First.get(), Second.get());
    MergeChanges(Held, ChangesOfApply("Sec", Second.get(), Third.get()));
    ASSERT_EQ(Held.Changes.size(), 1u);
    TValueMap Device;
    CollectValues(D.Build("Other=2").get(), "", Device);
    const TPutBackPlan Plan = PlanPutBack(Held, Device);
    ASSERT_EQ(Plan.Sends.size(), 1u);
    EXPECT_EQ(*Plan.Sends.front().Value, "1");
    EXPECT_TRUE(Plan.Whole());
}
