// The tables of the tree-shaped parameter sections (TreeSection.h): for each section its menu name, the
// first words of its prompts, how its records are kept, and the fields and blocks of a record (or of the
// section itself) in screen order, with rules and default values. docs/device.md, chapter "More sections".
#include "TreeSection.h"

namespace {

TTreeNode Fld(std::string name, std::string rule, std::string def, bool canEmpty, std::string dep, int minFw,
              int port, std::vector<TTreeNode> kids)
{
    TTreeNode n;
    n.Kind = TTreeNode::Field;
    n.Name = std::move(name);
    n.Rule = std::move(rule);
    n.Default = std::move(def);
    n.CanEmpty = canEmpty;
    n.Dep = std::move(dep);
    n.MinFw = minFw;
    n.Port = port;
    n.Kids = std::move(kids);
    return n;
}

TTreeNode Blk(std::string name, int minFw, std::vector<TTreeNode> kids)
{
    TTreeNode n;
    n.Kind = TTreeNode::Block;
    n.Name = std::move(name);
    n.MinFw = minFw;
    n.Kids = std::move(kids);
    return n;
}

std::vector<TTreeSection> MakeSections()
{
    std::vector<TTreeSection> all;
    {
        TTreeSection s;
        s.Name = "Mailbox Group";
        s.Prefix = "Mailbox Group";
        s.Records = 'D';
        s.Word = "Mailbox Group";
        s.KeyRule = "mbxgroup";
        s.MaxRecords = 20;
        s.Layout = {
            Fld("Group Name", "text:16", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 1", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 2", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 3", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 4", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 5", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 6", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 7", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 8", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 9", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 10", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 11", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 12", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 13", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 14", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 15", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 16", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 17", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 18", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 19", "member", "", true, "", 0, 0, {}),
            Fld("Mailbox No. 20", "member", "", true, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Extension Group";
        s.Prefix = "Extension Group";
        s.Records = 'D';
        s.Word = "Extension Group";
        s.KeyRule = "extgroup";
        s.MaxRecords = 20;
        s.Layout = {
            Fld("Group Name", "text:16", "", true, "", 0, 0, {}),
            Fld("Extension No. 1", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 2", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 3", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 4", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 5", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 6", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 7", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 8", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 9", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 10", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 11", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 12", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 13", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 14", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 15", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 16", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 17", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 18", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 19", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Extension No. 20", "digits:2:5", "", true, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Operator's Parameters";
        s.Prefix = "Operator's Parameters";
        s.Records = 'N';
        s.Layout = {
            Blk("Day Mode", 0, {
              Blk("Operator 1", 0, {
                Fld("Operator's Extension", "digits:2:5", "200", true, "", 0, 0, {}),
                Fld("Operator's Mailbox No.", "mailbox", "101", true, "", 0, 0, {}),
                Fld("Busy Coverage Mode", "choice:Hold|Voice Mail|Next Operator|Disconnect", "Hold", false, "", 0, 0, {}),
                Fld("No Answer Coverage Mode", "choice:Voice Mail|Next Operator|Disconnect|Ring Again", "Voice Mail", false, "", 0, 0, {})
              }),
              Blk("Operator 2", 0, {
                Fld("Operator's Extension", "digits:2:5", "", true, "", 0, 0, {}),
                Fld("Operator's Mailbox No.", "mailbox", "", true, "", 0, 0, {}),
                Fld("Busy Coverage Mode", "choice:Hold|Voice Mail|Next Operator|Disconnect", "Hold", false, "", 0, 0, {}),
                Fld("No Answer Coverage Mode", "choice:Voice Mail|Next Operator|Disconnect|Ring Again", "Voice Mail", false, "", 0, 0, {})
              }),
              Blk("Operator 3", 0, {
                Fld("Operator's Extension", "digits:2:5", "", true, "", 0, 0, {}),
                Fld("Operator's Mailbox No.", "mailbox", "", true, "", 0, 0, {}),
                Fld("Busy Coverage Mode", "choice:Hold|Voice Mail|Next Operator|Disconnect", "Hold", false, "", 0, 0, {}),
                Fld("No Answer Coverage Mode", "choice:Voice Mail|Next Operator|Disconnect|Ring Again", "Voice Mail", false, "", 0, 0, {})
              })
            }),
            Blk("Night Mode", 0, {
              Blk("Operator 1", 0, {
                Fld("Operator's Extension", "digits:2:5", "200", true, "", 0, 0, {}),
                Fld("Operator's Mailbox No.", "mailbox", "101", true, "", 0, 0, {}),
                Fld("Busy Coverage Mode", "choice:Hold|Voice Mail|Next Operator|Disconnect", "Hold", false, "", 0, 0, {}),
                Fld("No Answer Coverage Mode", "choice:Voice Mail|Next Operator|Disconnect|Ring Again", "Voice Mail", false, "", 0, 0, {})
              }),
              Blk("Operator 2", 0, {
                Fld("Operator's Extension", "digits:2:5", "", true, "", 0, 0, {}),
                Fld("Operator's Mailbox No.", "mailbox", "", true, "", 0, 0, {}),
                Fld("Busy Coverage Mode", "choice:Hold|Voice Mail|Next Operator|Disconnect", "Hold", false, "", 0, 0, {}),
                Fld("No Answer Coverage Mode", "choice:Voice Mail|Next Operator|Disconnect|Ring Again", "Voice Mail", false, "", 0, 0, {})
              }),
              Blk("Operator 3", 0, {
                Fld("Operator's Extension", "digits:2:5", "", true, "", 0, 0, {}),
                Fld("Operator's Mailbox No.", "mailbox", "", true, "", 0, 0, {}),
                Fld("Busy Coverage Mode", "choice:Hold|Voice Mail|Next Operator|Disconnect", "Hold", false, "", 0, 0, {}),
                Fld("No Answer Coverage Mode", "choice:Voice Mail|Next Operator|Disconnect|Ring Again", "Voice Mail", false, "", 0, 0, {})
              })
            }),
            Blk("Lunch Mode", 308, {
              Blk("Operator 1", 0, {
                Fld("Operator's Extension", "digits:2:5", "200", true, "", 0, 0, {}),
                Fld("Operator's Mailbox No.", "mailbox", "101", true, "", 0, 0, {}),
                Fld("Busy Coverage Mode", "choice:Hold|Voice Mail|Next Operator|Disconnect", "Hold", false, "", 0, 0, {}),
                Fld("No Answer Coverage Mode", "choice:Voice Mail|Next Operator|Disconnect|Ring Again", "Voice Mail", false, "", 0, 0, {})
              }),
              Blk("Operator 2", 0, {
                Fld("Operator's Extension", "digits:2:5", "", true, "", 0, 0, {}),
                Fld("Operator's Mailbox No.", "mailbox", "", true, "", 0, 0, {}),
                Fld("Busy Coverage Mode", "choice:Hold|Voice Mail|Next Operator|Disconnect", "Hold", false, "", 0, 0, {}),
                Fld("No Answer Coverage Mode", "choice:Voice Mail|Next Operator|Disconnect|Ring Again", "Voice Mail", false, "", 0, 0, {})
              }),
              Blk("Operator 3", 0, {
                Fld("Operator's Extension", "digits:2:5", "", true, "", 0, 0, {}),
                Fld("Operator's Mailbox No.", "mailbox", "", true, "", 0, 0, {}),
                Fld("Busy Coverage Mode", "choice:Hold|Voice Mail|Next Operator|Disconnect", "Hold", false, "", 0, 0, {}),
                Fld("No Answer Coverage Mode", "choice:Voice Mail|Next Operator|Disconnect|Ring Again", "Voice Mail", false, "", 0, 0, {})
              })
            }),
            Blk("Break Mode", 308, {
              Blk("Operator 1", 0, {
                Fld("Operator's Extension", "digits:2:5", "200", true, "", 0, 0, {}),
                Fld("Operator's Mailbox No.", "mailbox", "101", true, "", 0, 0, {}),
                Fld("Busy Coverage Mode", "choice:Hold|Voice Mail|Next Operator|Disconnect", "Hold", false, "", 0, 0, {}),
                Fld("No Answer Coverage Mode", "choice:Voice Mail|Next Operator|Disconnect|Ring Again", "Voice Mail", false, "", 0, 0, {})
              }),
              Blk("Operator 2", 0, {
                Fld("Operator's Extension", "digits:2:5", "", true, "", 0, 0, {}),
                Fld("Operator's Mailbox No.", "mailbox", "", true, "", 0, 0, {}),
                Fld("Busy Coverage Mode", "choice:Hold|Voice Mail|Next Operator|Disconnect", "Hold", false, "", 0, 0, {}),
                Fld("No Answer Coverage Mode", "choice:Voice Mail|Next Operator|Disconnect|Ring Again", "Voice Mail", false, "", 0, 0, {})
              }),
              Blk("Operator 3", 0, {
                Fld("Operator's Extension", "digits:2:5", "", true, "", 0, 0, {}),
                Fld("Operator's Mailbox No.", "mailbox", "", true, "", 0, 0, {}),
                Fld("Busy Coverage Mode", "choice:Hold|Voice Mail|Next Operator|Disconnect", "Hold", false, "", 0, 0, {}),
                Fld("No Answer Coverage Mode", "choice:Voice Mail|Next Operator|Disconnect|Ring Again", "Voice Mail", false, "", 0, 0, {})
              })
            })
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Department Dialing";
        s.Prefix = "Department Dialing";
        s.Records = 'N';
        s.Layout = {
            Fld("Department 1", "digits:2:5", "210", true, "", 0, 0, {}),
            Fld("Department 2", "digits:2:5", "220", true, "", 0, 0, {}),
            Fld("Department 3", "digits:2:5", "230", true, "", 0, 0, {}),
            Fld("Department 4", "digits:2:5", "240", true, "", 0, 0, {}),
            Fld("Department 5", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Department 6", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Department 7", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Department 8", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Department 9", "digits:2:5", "", true, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Custom Service";
        s.Prefix = "Custom Service";
        s.Records = 'F';
        s.Word = "Custom";
        for (int i = 1; i <= 100; ++i)
            s.Keys.push_back(std::to_string(i));
        s.ShownIf = "Custom Service Name";
        s.Layout = {
            Fld("Custom Service Name", "text:16", "", true, "", 0, 0, {}),
            Fld("Menu Description", "text:60", "", true, "", 0, 0, {}),
            Fld("Menu Prompt No.", "int:1:999", "1", false, "", 0, 0, {}),
            Fld("Wait Time for Input", "int:1:30", "5", false, "", 0, 0, {}),
            Fld("Repeat Times", "int:0:9", "2", false, "", 0, 0, {}),
            Fld("No DTMF Input Operation", "choice:a|b|c|d|e|f", "c", false, "", 0, 0, {
              Fld("No DTMF Parameter", "by:a=mailbox;b=int:10:99999;f=int:1:100", "", false, "a|b|f", 0, 0, {})
            }),
            Blk("Keypad Assignment", 0, {
              Blk("Keypad 0", 0, {
                Fld("Assignment", "choice:None|Transfer to Mailbox|Transfer to Extension|Operator|Exit|Previous Menu|Custom Service|Voice Mail Service|Call Transfer Service|Subscriber Service|Department Dialing|Dial by Name|Repeat Menu|Main Menu|FAX Transfer", "Operator", false, "", 0, 0, {
                  Fld("Assignment Parameter", "by:Transfer to Mailbox=mailbox;Transfer to Extension=int:10:99999;Custom Service=int:1:100", "", false, "Transfer to Mailbox|Transfer to Extension|Custom Service", 0, 0, {})
                })
              }),
              Blk("Keypad 1", 0, {
                Fld("Assignment", "choice:None|Transfer to Mailbox|Transfer to Extension|Operator|Exit|Previous Menu|Custom Service|Voice Mail Service|Call Transfer Service|Subscriber Service|Department Dialing|Dial by Name|Repeat Menu|Main Menu|FAX Transfer", "None", false, "", 0, 0, {
                  Fld("Assignment Parameter", "by:Transfer to Mailbox=mailbox;Transfer to Extension=int:10:99999;Custom Service=int:1:100", "", false, "Transfer to Mailbox|Transfer to Extension|Custom Service", 0, 0, {})
                })
              }),
              Blk("Keypad 2", 0, {
                Fld("Assignment", "choice:None|Transfer to Mailbox|Transfer to Extension|Operator|Exit|Previous Menu|Custom Service|Voice Mail Service|Call Transfer Service|Subscriber Service|Department Dialing|Dial by Name|Repeat Menu|Main Menu|FAX Transfer", "None", false, "", 0, 0, {
                  Fld("Assignment Parameter", "by:Transfer to Mailbox=mailbox;Transfer to Extension=int:10:99999;Custom Service=int:1:100", "", false, "Transfer to Mailbox|Transfer to Extension|Custom Service", 0, 0, {})
                })
              }),
              Blk("Keypad 3", 0, {
                Fld("Assignment", "choice:None|Transfer to Mailbox|Transfer to Extension|Operator|Exit|Previous Menu|Custom Service|Voice Mail Service|Call Transfer Service|Subscriber Service|Department Dialing|Dial by Name|Repeat Menu|Main Menu|FAX Transfer", "None", false, "", 0, 0, {
                  Fld("Assignment Parameter", "by:Transfer to Mailbox=mailbox;Transfer to Extension=int:10:99999;Custom Service=int:1:100", "", false, "Transfer to Mailbox|Transfer to Extension|Custom Service", 0, 0, {})
                })
              }),
              Blk("Keypad 4", 0, {
                Fld("Assignment", "choice:None|Transfer to Mailbox|Transfer to Extension|Operator|Exit|Previous Menu|Custom Service|Voice Mail Service|Call Transfer Service|Subscriber Service|Department Dialing|Dial by Name|Repeat Menu|Main Menu|FAX Transfer", "None", false, "", 0, 0, {
                  Fld("Assignment Parameter", "by:Transfer to Mailbox=mailbox;Transfer to Extension=int:10:99999;Custom Service=int:1:100", "", false, "Transfer to Mailbox|Transfer to Extension|Custom Service", 0, 0, {})
                })
              }),
              Blk("Keypad 5", 0, {
                Fld("Assignment", "choice:None|Transfer to Mailbox|Transfer to Extension|Operator|Exit|Previous Menu|Custom Service|Voice Mail Service|Call Transfer Service|Subscriber Service|Department Dialing|Dial by Name|Repeat Menu|Main Menu|FAX Transfer", "None", false, "", 0, 0, {
                  Fld("Assignment Parameter", "by:Transfer to Mailbox=mailbox;Transfer to Extension=int:10:99999;Custom Service=int:1:100", "", false, "Transfer to Mailbox|Transfer to Extension|Custom Service", 0, 0, {})
                })
              }),
              Blk("Keypad 6", 0, {
                Fld("Assignment", "choice:None|Transfer to Mailbox|Transfer to Extension|Operator|Exit|Previous Menu|Custom Service|Voice Mail Service|Call Transfer Service|Subscriber Service|Department Dialing|Dial by Name|Repeat Menu|Main Menu|FAX Transfer", "None", false, "", 0, 0, {
                  Fld("Assignment Parameter", "by:Transfer to Mailbox=mailbox;Transfer to Extension=int:10:99999;Custom Service=int:1:100", "", false, "Transfer to Mailbox|Transfer to Extension|Custom Service", 0, 0, {})
                })
              }),
              Blk("Keypad 7", 0, {
                Fld("Assignment", "choice:None|Transfer to Mailbox|Transfer to Extension|Operator|Exit|Previous Menu|Custom Service|Voice Mail Service|Call Transfer Service|Subscriber Service|Department Dialing|Dial by Name|Repeat Menu|Main Menu|FAX Transfer", "None", false, "", 0, 0, {
                  Fld("Assignment Parameter", "by:Transfer to Mailbox=mailbox;Transfer to Extension=int:10:99999;Custom Service=int:1:100", "", false, "Transfer to Mailbox|Transfer to Extension|Custom Service", 0, 0, {})
                })
              }),
              Blk("Keypad 8", 0, {
                Fld("Assignment", "choice:None|Transfer to Mailbox|Transfer to Extension|Operator|Exit|Previous Menu|Custom Service|Voice Mail Service|Call Transfer Service|Subscriber Service|Department Dialing|Dial by Name|Repeat Menu|Main Menu|FAX Transfer", "None", false, "", 0, 0, {
                  Fld("Assignment Parameter", "by:Transfer to Mailbox=mailbox;Transfer to Extension=int:10:99999;Custom Service=int:1:100", "", false, "Transfer to Mailbox|Transfer to Extension|Custom Service", 0, 0, {})
                })
              }),
              Blk("Keypad 9", 0, {
                Fld("Assignment", "choice:None|Transfer to Mailbox|Transfer to Extension|Operator|Exit|Previous Menu|Custom Service|Voice Mail Service|Call Transfer Service|Subscriber Service|Department Dialing|Dial by Name|Repeat Menu|Main Menu|FAX Transfer", "None", false, "", 0, 0, {
                  Fld("Assignment Parameter", "by:Transfer to Mailbox=mailbox;Transfer to Extension=int:10:99999;Custom Service=int:1:100", "", false, "Transfer to Mailbox|Transfer to Extension|Custom Service", 0, 0, {})
                })
              }),
              Blk("Keypad *", 0, {
                Fld("Assignment", "choice:None|Transfer to Mailbox|Transfer to Extension|Operator|Exit|Previous Menu|Custom Service|Voice Mail Service|Call Transfer Service|Subscriber Service|Department Dialing|Dial by Name|Repeat Menu|Main Menu|FAX Transfer", "Exit", false, "", 0, 0, {
                  Fld("Assignment Parameter", "by:Transfer to Mailbox=mailbox;Transfer to Extension=int:10:99999;Custom Service=int:1:100", "", false, "Transfer to Mailbox|Transfer to Extension|Custom Service", 0, 0, {})
                })
              }),
              Blk("Keypad #", 0, {
                Fld("Assignment", "choice:None|Transfer to Mailbox|Transfer to Extension|Operator|Exit|Previous Menu|Custom Service|Voice Mail Service|Call Transfer Service|Subscriber Service|Department Dialing|Dial by Name|Repeat Menu|Main Menu|FAX Transfer", "None", false, "", 0, 0, {
                  Fld("Assignment Parameter", "by:Transfer to Mailbox=mailbox;Transfer to Extension=int:10:99999;Custom Service=int:1:100", "", false, "Transfer to Mailbox|Transfer to Extension|Custom Service", 0, 0, {})
                })
              })
            })
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Caller ID Call Routing";
        s.Prefix = "Caller ID Call Routing";
        s.Records = 'F';
        s.Word = "Routing Entry";
        for (int i = 1; i <= 20; ++i)
            s.Keys.push_back(std::to_string(i));
        s.Layout = {
            Fld("Caller ID", "callerid", "", true, "", 0, 0, {}),
            Fld("Caller Name", "text:16", "", true, "", 0, 0, {}),
            Fld("Routing", "routing", "", true, "", 0, 0, {
              Fld("Routing Parameter", "by:Mbx=mailbox;Extn.=int:10:99999;Custom=int:1:100", "", false, "Mbx|Extn.|Custom", 0, 0, {})
            })
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Prompt Setting";
        s.Prefix = "Prompt Setting";
        s.Records = 'N';
        s.Layout = {
            Fld("Prompt No. 1", "int:1:9", "1", false, "", 0, 0, {}),
            Fld("Prompt No. 2", "int:1:9", "2", false, "", 0, 0, {}),
            Fld("Prompt No. 3", "int:1:9", "3", false, "", 0, 0, {}),
            Fld("Prompt Selection Time", "int:1:9", "3", false, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "System Caller Name Announcement";
        s.Prefix = "Caller Name Announcement";
        s.Records = 'F';
        s.Word = "Caller Name Entry";
        for (int i = 1; i <= 16; ++i)
            s.Keys.push_back(std::to_string(i));
        s.Layout = {
            Fld("Caller Number", "digits:1:16", "", true, "", 0, 0, {}),
            Fld("Name Prompt No.", "int:1:99", "", true, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Message Waiting Notification";
        s.Prefix = "Message Waiting Notification";
        s.Records = 'N';
        s.Layout = {
            Fld("Lamp On VPS Ports", "ports", "1-2", false, "", 0, 0, {}),
            Fld("Lamp Off VPS Ports", "ports", "1-2", false, "", 0, 0, {}),
            Fld("Lamp On Code", "chars:16:0123456789*#FPTWX:U", "*1X", false, "", 0, 0, {}),
            Fld("Lamp Off Code", "chars:16:0123456789*#FPTWX:U", "#1X", false, "", 0, 0, {}),
            Fld("Lamp Retry Times", "int:0:9", "2", false, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "External Message Delivery";
        s.Prefix = "External Message Delivery";
        s.Records = 'N';
        s.Layout = {
            Fld("Delivery Start Time", "time", "8:00,AM", false, "", 0, 0, {}),
            Fld("Delivery End Time", "time", "9:00,PM", false, "", 0, 0, {}),
            Fld("Delivery Retry Interval", "int:1:60", "15", false, "", 0, 0, {}),
            Fld("Delivery VPS Ports", "ports", "3-4", false, "", 0, 0, {}),
            Fld("Message Playback Confirmation", "yesno", "Yes", false, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Fax Management";
        s.Prefix = "Fax Management";
        s.Records = 'N';
        s.Layout = {
            Fld("Fax Detection", "yesno", "Yes", false, "", 0, 0, {}),
            Fld("Fax Extension 1", "digits:2:5", "250", true, "", 0, 0, {}),
            Fld("Fax Extension 2", "digits:2:5", "", true, "", 0, 0, {}),
            Fld("Fax Detection Time", "int:1:9", "4", false, "", 0, 0, {}),
            Fld("Fax Mailbox No.", "mailbox", "", true, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Rotary Telephone Service";
        s.Prefix = "Rotary Telephone Service";
        s.Records = 'N';
        s.Layout = {
            Fld("Rotary Service", "yesno", "No", false, "", 0, 0, {}),
            Fld("Rotary Transfer Destination", "choice:Operator|Mailbox|Disconnect", "Operator", false, "", 0, 0, {}),
            Fld("Rotary Detection Time", "int:1:9", "3", false, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Intercom Paging Parameters";
        s.Prefix = "Intercom Paging Parameters";
        s.Records = 'N';
        s.Layout = {
            Fld("Paging Access Code", "chars:16:0123456789*#FPTWX:U", "*5", false, "", 0, 0, {}),
            Fld("Paging Cancel Code", "chars:16:0123456789*#FPTWX:U", "#5", false, "", 0, 0, {}),
            Fld("Paging Code for Group 1", "chars:4:0123456789*#:U", "61", true, "", 0, 0, {}),
            Fld("Paging Code for Group 2", "chars:4:0123456789*#:U", "62", true, "", 0, 0, {}),
            Fld("Paging Code for Group 3", "chars:4:0123456789*#:U", "63", true, "", 0, 0, {}),
            Fld("Paging Code for Group 4", "chars:4:0123456789*#:U", "64", true, "", 0, 0, {}),
            Fld("Paging Code for Group 5", "chars:4:0123456789*#:U", "65", true, "", 0, 0, {}),
            Fld("Paging Code for Group 6", "chars:4:0123456789*#:U", "66", true, "", 0, 0, {}),
            Fld("Paging Code for Group 7", "chars:4:0123456789*#:U", "67", true, "", 0, 0, {}),
            Fld("Paging Code for Group 8", "chars:4:0123456789*#:U", "68", true, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Time Service";
        s.Prefix = "Time Service";
        s.Records = 'N';
        s.Layout = {
            Fld("Service Mode", "choice:Automatic|Day Mode|Night Mode", "Automatic", false, "", 0, 0, {}),
            Blk("Day Service", 0, {
              Blk("Day Mon.", 0, {
                Fld("Day Service Start Time", "daytime", "8:00,AM", false, "", 0, 0, {}),
                Fld("Day Service End Time", "daytime", "5:00,PM", false, "", 0, 0, {})
              }),
              Blk("Day Tue.", 0, {
                Fld("Day Service Start Time", "daytime", "8:00,AM", false, "", 0, 0, {}),
                Fld("Day Service End Time", "daytime", "5:00,PM", false, "", 0, 0, {})
              }),
              Blk("Day Wed.", 0, {
                Fld("Day Service Start Time", "daytime", "8:00,AM", false, "", 0, 0, {}),
                Fld("Day Service End Time", "daytime", "5:00,PM", false, "", 0, 0, {})
              }),
              Blk("Day Thu.", 0, {
                Fld("Day Service Start Time", "daytime", "8:00,AM", false, "", 0, 0, {}),
                Fld("Day Service End Time", "daytime", "5:00,PM", false, "", 0, 0, {})
              }),
              Blk("Day Fri.", 0, {
                Fld("Day Service Start Time", "daytime", "8:00,AM", false, "", 0, 0, {}),
                Fld("Day Service End Time", "daytime", "5:00,PM", false, "", 0, 0, {})
              }),
              Blk("Day Sat.", 0, {
                Fld("Day Service Start Time", "daytime", "Night", false, "", 0, 0, {}),
                Fld("Day Service End Time", "daytime", "Night", false, "", 0, 0, {})
              }),
              Blk("Day Sun.", 0, {
                Fld("Day Service Start Time", "daytime", "Night", false, "", 0, 0, {}),
                Fld("Day Service End Time", "daytime", "Night", false, "", 0, 0, {})
              })
            }),
            Blk("Lunch Service", 308, {
              Blk("Day Mon.", 0, {
                Fld("Lunch Service Start Time", "time", "12:00,PM", true, "", 0, 0, {}),
                Fld("Lunch Service End Time", "time", "1:00,PM", true, "", 0, 0, {})
              }),
              Blk("Day Tue.", 0, {
                Fld("Lunch Service Start Time", "time", "12:00,PM", true, "", 0, 0, {}),
                Fld("Lunch Service End Time", "time", "1:00,PM", true, "", 0, 0, {})
              }),
              Blk("Day Wed.", 0, {
                Fld("Lunch Service Start Time", "time", "12:00,PM", true, "", 0, 0, {}),
                Fld("Lunch Service End Time", "time", "1:00,PM", true, "", 0, 0, {})
              }),
              Blk("Day Thu.", 0, {
                Fld("Lunch Service Start Time", "time", "12:00,PM", true, "", 0, 0, {}),
                Fld("Lunch Service End Time", "time", "1:00,PM", true, "", 0, 0, {})
              }),
              Blk("Day Fri.", 0, {
                Fld("Lunch Service Start Time", "time", "12:00,PM", true, "", 0, 0, {}),
                Fld("Lunch Service End Time", "time", "1:00,PM", true, "", 0, 0, {})
              }),
              Blk("Day Sat.", 0, {
                Fld("Lunch Service Start Time", "time", "", true, "", 0, 0, {}),
                Fld("Lunch Service End Time", "time", "", true, "", 0, 0, {})
              }),
              Blk("Day Sun.", 0, {
                Fld("Lunch Service Start Time", "time", "", true, "", 0, 0, {}),
                Fld("Lunch Service End Time", "time", "", true, "", 0, 0, {})
              })
            }),
            Blk("Break Service", 308, {
              Blk("Day Mon.", 0, {
                Fld("Break 1 Start Time", "time", "10:00,AM", true, "", 0, 0, {}),
                Fld("Break 1 End Time", "time", "10:15,AM", true, "", 0, 0, {}),
                Fld("Break 2 Start Time", "time", "3:00,PM", true, "", 0, 0, {}),
                Fld("Break 2 End Time", "time", "3:15,PM", true, "", 0, 0, {}),
                Fld("Break 3 Start Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 3 End Time", "time", "", true, "", 0, 0, {})
              }),
              Blk("Day Tue.", 0, {
                Fld("Break 1 Start Time", "time", "10:00,AM", true, "", 0, 0, {}),
                Fld("Break 1 End Time", "time", "10:15,AM", true, "", 0, 0, {}),
                Fld("Break 2 Start Time", "time", "3:00,PM", true, "", 0, 0, {}),
                Fld("Break 2 End Time", "time", "3:15,PM", true, "", 0, 0, {}),
                Fld("Break 3 Start Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 3 End Time", "time", "", true, "", 0, 0, {})
              }),
              Blk("Day Wed.", 0, {
                Fld("Break 1 Start Time", "time", "10:00,AM", true, "", 0, 0, {}),
                Fld("Break 1 End Time", "time", "10:15,AM", true, "", 0, 0, {}),
                Fld("Break 2 Start Time", "time", "3:00,PM", true, "", 0, 0, {}),
                Fld("Break 2 End Time", "time", "3:15,PM", true, "", 0, 0, {}),
                Fld("Break 3 Start Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 3 End Time", "time", "", true, "", 0, 0, {})
              }),
              Blk("Day Thu.", 0, {
                Fld("Break 1 Start Time", "time", "10:00,AM", true, "", 0, 0, {}),
                Fld("Break 1 End Time", "time", "10:15,AM", true, "", 0, 0, {}),
                Fld("Break 2 Start Time", "time", "3:00,PM", true, "", 0, 0, {}),
                Fld("Break 2 End Time", "time", "3:15,PM", true, "", 0, 0, {}),
                Fld("Break 3 Start Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 3 End Time", "time", "", true, "", 0, 0, {})
              }),
              Blk("Day Fri.", 0, {
                Fld("Break 1 Start Time", "time", "10:00,AM", true, "", 0, 0, {}),
                Fld("Break 1 End Time", "time", "10:15,AM", true, "", 0, 0, {}),
                Fld("Break 2 Start Time", "time", "3:00,PM", true, "", 0, 0, {}),
                Fld("Break 2 End Time", "time", "3:15,PM", true, "", 0, 0, {}),
                Fld("Break 3 Start Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 3 End Time", "time", "", true, "", 0, 0, {})
              }),
              Blk("Day Sat.", 0, {
                Fld("Break 1 Start Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 1 End Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 2 Start Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 2 End Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 3 Start Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 3 End Time", "time", "", true, "", 0, 0, {})
              }),
              Blk("Day Sun.", 0, {
                Fld("Break 1 Start Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 1 End Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 2 Start Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 2 End Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 3 Start Time", "time", "", true, "", 0, 0, {}),
                Fld("Break 3 End Time", "time", "", true, "", 0, 0, {})
              })
            })
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Holiday Listing";
        s.Prefix = "Holiday Listing";
        s.Records = 'D';
        s.Word = "HOLIDAY";
        s.KeyRule = "int:1:20";
        s.MaxRecords = 20;
        s.Layout = {
            Fld("Holiday Name", "text:16", "", true, "", 0, 0, {}),
            Fld("Start Date", "dm", "", true, "", 0, 0, {}),
            Fld("End Date", "dm", "", true, "", 409, 0, {}),
            Fld("Repeat Every Year", "yesno", "Yes", false, "", 0, 0, {}),
            Fld("Service", "choice:V.M.|Auto. Attn|Interview|Custom", "Auto. Attn", false, "", 0, 0, {
              Fld("Service Parameter", "by:Interview=mailboxlen;Custom=int:1:100", "", false, "Interview|Custom", 0, 0, {})
            }),
            Fld("Greeting", "greeting", "System Greeting", false, "", 409, 0, {}),
            Fld("VPS Ports", "ports", "1-4", false, "", 0, 0, {}),
            Fld("Trunk Groups", "trunks", "1-8", false, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Daylight Saving Time";
        s.Prefix = "Daylight Saving Time";
        s.Records = 'N';
        s.Layout = {
            Fld("Daylight Saving Start Date", "dm", "29/3", true, "", 0, 0, {}),
            Fld("Daylight Saving End Date", "dm", "25/10", true, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Extension Numbering Plan";
        s.Prefix = "Extension Numbering Plan";
        s.Records = 'N';
        s.Layout = {
            Fld("Numbering Plan 1", "plan", "2XX", true, "", 0, 0, {}),
            Fld("Numbering Plan 2", "plan", "3XX", true, "", 0, 0, {}),
            Fld("Numbering Plan 3", "plan", "", true, "", 0, 0, {}),
            Fld("Numbering Plan 4", "plan", "", true, "", 0, 0, {}),
            Fld("Numbering Plan 5", "plan", "", true, "", 0, 0, {}),
            Fld("Numbering Plan 6", "plan", "", true, "", 0, 0, {}),
            Fld("Numbering Plan 7", "plan", "", true, "", 0, 0, {}),
            Fld("Numbering Plan 8", "plan", "", true, "", 0, 0, {}),
            Fld("Numbering Plan 9", "plan", "", true, "", 0, 0, {}),
            Fld("Numbering Plan 10", "plan", "", true, "", 0, 0, {}),
            Fld("Numbering Plan 11", "plan", "", true, "", 0, 0, {}),
            Fld("Numbering Plan 12", "plan", "", true, "", 0, 0, {}),
            Fld("Numbering Plan 13", "plan", "", true, "", 0, 0, {}),
            Fld("Numbering Plan 14", "plan", "", true, "", 0, 0, {}),
            Fld("Numbering Plan 15", "plan", "", true, "", 0, 0, {}),
            Fld("Numbering Plan 16", "plan", "", true, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Disconnect Parameter";
        s.Prefix = "Disconnect Parameter";
        s.Records = 'N';
        s.Layout = {
            Fld("Disconnect Tone Detection", "yesno", "Yes", false, "", 0, 0, {}),
            Fld("Silence Detection Time", "int:5:60", "10", false, "", 0, 0, {}),
            Fld("Loop Current Drop Time", "int:100:1000", "400", false, "", 0, 0, {}),
            Fld("Busy Tone Detection", "yesno", "Yes", false, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Inter-Digit Timeout";
        s.Prefix = "Inter-Digit Timeout";
        s.Records = 'N';
        s.Layout = {
            Fld("First Digit Timeout", "int:1:20", "5", false, "", 0, 0, {}),
            Fld("Inter-Digit Time", "int:1:10", "3", false, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Port Setting";
        s.Prefix = "Port Setting";
        s.Records = 'F';
        s.Word = "Port";
        s.KeysFromPorts = true;
        s.Layout = {
            Fld("Port Status", "choice:Enable|Disable", "Enable", false, "", 0, 0, {}),
            Fld("Signaling Type", "choice:Loop Start|Ground Start", "Loop Start", false, "", 0, 0, {}),
            Fld("Ring Count", "int:1:9", "2", false, "", 0, 0, {}),
            Fld("Line Interface", "ro", "Analog", false, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Input/Output";
        s.Prefix = "Input/Output";
        s.Records = 'F';
        s.Word = "Table";
        for (int i = 1; i <= 10; ++i)
            s.Keys.push_back(std::to_string(i));
        s.Layout = {
            Fld("Input Code", "chars:8:0123456789*#:U", "", true, "", 0, 0, {
              Fld("Output Code", "chars:16:0123456789*#FPTW:U", "", true, "*", 0, 0, {})
            })
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "PBX Dialing Parameters";
        s.Prefix = "PBX Dialing";
        s.Records = 'N';
        s.Layout = {
            Fld("PBX Type", "pbxtype", "TD1232", false, "", 0, 0, {}),
            Fld("Integration Mode", "choice:none|Inband|APT|DPT", "DPT", false, "", 0, 0, {
              Fld("Extension Number of VPS Port1", "digits:2:5", "165", false, "APT|DPT", 0, 1, {}),
              Fld("Extension Number of VPS Port2", "digits:2:5", "166", false, "APT|DPT", 0, 2, {}),
              Fld("Extension Number of VPS Port3", "digits:2:5", "167", false, "APT|DPT", 0, 3, {}),
              Fld("Extension Number of VPS Port4", "digits:2:5", "168", false, "APT|DPT", 0, 4, {}),
              Fld("Extension Number of VPS Port5", "digits:2:5", "169", false, "APT|DPT", 0, 5, {}),
              Fld("Extension Number of VPS Port6", "digits:2:5", "170", false, "APT|DPT", 0, 6, {}),
              Fld("Extension Number of VPS Port7", "digits:2:5", "171", false, "APT|DPT", 0, 7, {}),
              Fld("Extension Number of VPS Port8", "digits:2:5", "172", false, "APT|DPT", 0, 8, {}),
              Fld("Extension Number of VPS Port9", "digits:2:5", "173", false, "APT|DPT", 0, 9, {}),
              Fld("Extension Number of VPS Port10", "digits:2:5", "174", false, "APT|DPT", 0, 10, {}),
              Fld("Extension Number of VPS Port11", "digits:2:5", "175", false, "APT|DPT", 0, 11, {}),
              Fld("Extension Number of VPS Port12", "digits:2:5", "176", false, "APT|DPT", 0, 12, {}),
              Fld("Extension Number of VPS Port13", "digits:2:5", "177", false, "APT|DPT", 0, 13, {}),
              Fld("Extension Number of VPS Port14", "digits:2:5", "178", false, "APT|DPT", 0, 14, {}),
              Fld("Extension Number of VPS Port15", "digits:2:5", "179", false, "APT|DPT", 0, 15, {}),
              Fld("Extension Number of VPS Port16", "digits:2:5", "180", false, "APT|DPT", 0, 16, {})
            }),
            Fld("Dial String D0", "chars:16:0123456789*#FPTWX:U", "FX", true, "", 0, 0, {}),
            Fld("Dial String D1", "chars:16:0123456789*#FPTWX:U", "FX", true, "", 0, 0, {}),
            Fld("Dial String D2", "chars:16:0123456789*#FPTWX:U", "FX", true, "", 0, 0, {}),
            Fld("Dial String D3", "chars:16:0123456789*#FPTWX:U", "F", true, "", 0, 0, {}),
            Fld("Dial String D4", "chars:16:0123456789*#FPTWX:U", "F", true, "", 0, 0, {}),
            Fld("Dial String D5", "chars:16:0123456789*#FPTWX:U", "F", true, "", 0, 0, {}),
            Fld("Dial String D6", "chars:16:0123456789*#FPTWX:U", "", true, "", 0, 0, {}),
            Fld("Dial String D7", "chars:16:0123456789*#FPTWX:U", "", true, "", 0, 0, {}),
            Fld("Dial String D8", "chars:16:0123456789*#FPTWX:U", "1", true, "", 0, 0, {}),
            Fld("Dial String D9", "chars:16:0123456789*#FPTWX:U", "F", true, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    {
        TTreeSection s;
        s.Name = "Inband Signaling";
        s.Prefix = "Inband Signaling";
        s.Records = 'N';
        s.Layout = {
            Fld("Ringback", "chars:4:0123456789*#ABCD:U", "1", true, "", 0, 0, {}),
            Fld("Busy", "chars:4:0123456789*#ABCD:U", "2", true, "", 0, 0, {}),
            Fld("Reorder", "chars:4:0123456789*#ABCD:U", "3", true, "", 0, 0, {}),
            Fld("DND", "chars:4:0123456789*#ABCD:U", "4", true, "", 0, 0, {}),
            Fld("Answer", "chars:4:0123456789*#ABCD:U", "5", true, "", 0, 0, {}),
            Fld("Forward to VM Ringing", "chars:4:0123456789*#ABCD:U", "6", true, "", 0, 0, {}),
            Fld("Forward to VM Busy", "chars:4:0123456789*#ABCD:U", "7", true, "", 0, 0, {}),
            Fld("Forward to Other Extension", "chars:4:0123456789*#ABCD:U", "8", true, "", 0, 0, {}),
            Fld("Confirmation", "chars:4:0123456789*#ABCD:U", "9", true, "", 0, 0, {}),
            Fld("Disconnect", "chars:4:0123456789*#ABCD:U", "#9", true, "", 0, 0, {})
        };
        all.push_back(std::move(s));
    }
    return all;
}

}  // namespace

const std::vector<TTreeSection>& TreeSections()
{
    static const std::vector<TTreeSection> sections = MakeSections();
    return sections;
}
