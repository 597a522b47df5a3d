// Pure parts of the port: names, tables, errors, setting groups, time-outs and the termios translation.
#include "platform/IniFile.h"
#include "serial/SerPort.h"
#include "serial/SerTermios.h"
#include "serial/SerThread.h"

#include <gtest/gtest.h>

TEST(SerPortNames, NormalizesComNamesAndKeepsPaths)
{
    EXPECT_EQ(NormalizePortName("com7"), "COM7");
    EXPECT_EQ(NormalizePortName("7"), "COM7");
    EXPECT_EQ(NormalizePortName("COM96"), "COM96");
    for (const char* bad : {"COM0", "COM97", "COMX", "", "-3", "COM 2"})
        EXPECT_EQ(NormalizePortName(bad), "COM1") << bad;
    EXPECT_EQ(NormalizePortName("/tmp/vmu"), "/tmp/vmu");
    EXPECT_EQ(PortDevicePath("COM1"), "/dev/ttyS0");
    EXPECT_EQ(PortDevicePath("com12"), "/dev/ttyS11");
    EXPECT_EQ(PortDevicePath("/dev/pts/4"), "/dev/pts/4");
}

TEST(SerPortNames, TablesReadBackWithoutCaseAndFallBack)
{
    for (int i = brCustom; i <= br256000; ++i)
        EXPECT_EQ(StrToBaudRate(BaudRateToStr(TBaudRate(i))), TBaudRate(i));
    EXPECT_EQ(BaudRateToStr(br14400), "14400");
    EXPECT_EQ(StrToBaudRate("custom"), brCustom);
    EXPECT_EQ(StrToBaudRate("9601"), br9600);
    EXPECT_EQ(StrToStopBits("1.5"), sbOne5StopBits);
    EXPECT_EQ(StrToStopBits("3"), sbOneStopBit);
    EXPECT_EQ(StrToDataBits("4"), dbEight);
    EXPECT_EQ(StrToParity("mark"), prMark);
    EXPECT_EQ(StrToParity("x"), prNone);
    EXPECT_EQ(StrToFlowControl("x"), fcCustom);
    EXPECT_EQ(StrToDTR("HANDSHAKE"), dtrHandshake);
    EXPECT_EQ(StrToRTS("toggle"), rtsToggle);
    EXPECT_EQ(StrToRTS(""), rtsDisable);
    EXPECT_EQ(CharToStr('A'), "A");
    EXPECT_EQ(CharToStr(17), "#17");
    EXPECT_EQ(CharToStr(200), "#200");
    EXPECT_EQ(StrToChar("#19"), 19);
    EXPECT_EQ(StrToChar("#"), '#');
    EXPECT_EQ(StrToChar("xy"), 'x');
    EXPECT_EQ(StrToChar(""), 0);
}

TEST(SerPortErrors, MessagesComeFromTheReplaceableTable)
{
    ESerPort e = ESerPort::CreateWin(secOpenFailed, 2);
    EXPECT_EQ(e.Message, "Unable to open com port ( Windows Error Code: 2 )");
    EXPECT_EQ(e.Code, 1);
    EXPECT_EQ(e.WinCode, 2);
    ESerPort n = ESerPort::CreateNoWin(secRegFailed);
    EXPECT_EQ(n.Message, "Link (un)registration failed");
    EXPECT_EQ(n.WinCode, -1);

    // The text store addresses the table by position; a text with format marks is used as it stands.
    SetSerPortErrorText(20, "Wait %s failed");
    EXPECT_EQ(SerPortErrorText(20), "Wait %s failed");
    EXPECT_EQ(SerPortErrorText(19), "Cannot wait for event if event thread is created");
    EXPECT_EQ(ESerPort::CreateWin(secWaitFailed, 5).Message, "Wait %s failed ( Windows Error Code: 5 )");
    SetSerPortErrorText(22, "ignored");
    SetSerPortErrorText(-1, "ignored");
    EXPECT_EQ(SerPortErrorText(22), "");
    ResetSerPortErrorTexts();
    EXPECT_EQ(SerPortErrorText(20), "WaitForEvent method failed");
}

TEST(SerPortGroups, BufferFlowControlAndEventMasks)
{
    TSerPort port;
    port.Buffer().SetInputSize(4097);
    EXPECT_EQ(port.Buffer().InputSize(), 4096);

    TSerFlowControl& f = port.FlowControl();
    EXPECT_EQ(f.FlowControl(), fcNone);
    f.SetFlowControl(fcHardware);
    EXPECT_EQ(f.ControlRTS(), rtsHandshake);
    EXPECT_TRUE(f.OutCTSFlow());
    EXPECT_EQ(f.FlowControl(), fcHardware);
    f.SetFlowControl(fcSoftware);
    EXPECT_EQ(f.ControlRTS(), rtsDisable);
    EXPECT_FALSE(f.OutCTSFlow());
    EXPECT_TRUE(f.XonXoffIn() && f.XonXoffOut());
    f.SetFlowControl(fcCustom);
    EXPECT_EQ(f.FlowControl(), fcSoftware);
    f.SetControlRTS(rtsEnable);
    EXPECT_EQ(f.FlowControl(), fcCustom);

    EXPECT_EQ(EventsToMask(TSerEvents{evRxChar, evDSR}), 17u);
    EXPECT_EQ(EventsToMask(TSerEvents::Full()), 1535u);
    EXPECT_EQ(MaskToEvents(4 | 1024), (TSerEvents{evTxEmpty, evRx80Full}));
    EXPECT_EQ(port.Events(), TSerEvents::Full());
    EXPECT_EQ(port.Port(), "COM1");
    port.SetPort("com3");
    EXPECT_EQ(port.Port(), "COM3");
    port.SetPort("0");
    EXPECT_EQ(port.Port(), "COM1");
}

TEST(SerPortGroups, TimeoutsBecomeReadAndWriteLimits)
{
    TSerTimeouts t;   // defaults: read returns at once, write 100 ms per byte + 1000 ms
    EXPECT_TRUE(t.ReadLimit(10).AtOnce);
    EXPECT_EQ(t.WriteLimitMs(10), 2000);
    t.SetReadInterval(0);   // the main window's: wait for all bytes
    TSerReadLimit l = t.ReadLimit(10);
    EXPECT_FALSE(l.AtOnce);
    EXPECT_EQ(l.TotalMs, -1);
    EXPECT_EQ(l.IntervalMs, -1);
    t.SetReadInterval(50);
    t.SetReadTotalMultiplier(10);
    t.SetReadTotalConstant(100);
    l = t.ReadLimit(5);
    EXPECT_EQ(l.TotalMs, 150);
    EXPECT_EQ(l.IntervalMs, 50);
    t.SetReadInterval(-1);
    t.SetReadTotalMultiplier(-1);
    t.SetReadTotalConstant(300);
    l = t.ReadLimit(5);
    EXPECT_TRUE(l.FirstByteEnds);
    EXPECT_EQ(l.TotalMs, 300);
    t.SetWriteTotalMultiplier(0);
    t.SetWriteTotalConstant(0);
    EXPECT_EQ(t.WriteLimitMs(100), -1);
}

TEST(SerTermios, SettingsBecomeRawTermios)
{
    termios base{};
    base.c_lflag = ICANON | ECHO | ISIG;
    base.c_oflag = OPOST | ONLCR;
    base.c_iflag = ICRNL | IXON;
    TSerLineSettings s;
    termios t{};
    uint32_t custom = 1;
    ASSERT_TRUE(SettingsToTermios(s, base, t, custom));
    EXPECT_EQ(custom, 0u);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_FALSE(t.c_cflag & (PARENB | CSTOPB | CRTSCTS));
    EXPECT_TRUE(t.c_cflag & CLOCAL);
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(t.c_oflag & OPOST);
    EXPECT_FALSE(t.c_iflag & (ICRNL | IXON));
    EXPECT_EQ(t.c_cc[VMIN], 0);

    s.BaudRate = 19200;
    s.DataBits = 7;
    s.Parity = 2;
    s.StopBits = 2;
    s.CtsFlow = true;
    s.XonXoffIn = true;
    s.ParityCheck = true;
    ASSERT_TRUE(SettingsToTermios(s, base, t, custom));
    EXPECT_EQ(cfgetispeed(&t), speed_t(B19200));
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS7));
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), tcflag_t(PARENB));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_TRUE(t.c_cflag & CRTSCTS);
    EXPECT_TRUE(t.c_iflag & IXOFF);
    EXPECT_FALSE(t.c_iflag & IXON);
    EXPECT_TRUE(t.c_iflag & INPCK);

    s.Parity = 3;
    ASSERT_TRUE(SettingsToTermios(s, base, t, custom));
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), tcflag_t(PARENB | PARODD | CMSPAR));
    s.Parity = 4;
    ASSERT_TRUE(SettingsToTermios(s, base, t, custom));
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), tcflag_t(PARENB | CMSPAR));

    s.BaudRate = 14400;   // no termios constant: set afterwards through termios2
    ASSERT_TRUE(SettingsToTermios(s, base, t, custom));
    EXPECT_EQ(custom, 14400u);

    termios before = t;
    s.BaudRate = 0;   // would hang up the line
    EXPECT_FALSE(SettingsToTermios(s, base, t, custom));
    EXPECT_EQ(cfgetospeed(&t), cfgetospeed(&before));
    s.BaudRate = 9600;
    s.DataBits = 9;
    EXPECT_FALSE(SettingsToTermios(s, base, t, custom));
}

TEST(SerPortGroups, StoredGroupsRoundTripThroughAnIniFile)
{
    TSerPort a;
    a.SetStoredProps(TStoredProps{spBasic, spFlowControl, spBuffer, spTimeouts, spParity, spOthers});
    a.SetPort("COM4");
    a.SetBaudRate(brCustom);
    a.SetCustomBaudRate(250000);
    a.SetEventChar(10);
    a.SetDiscardNull(true);
    a.Parity().SetBits(prOdd);
    a.Parity().SetCheck(true);
    a.Parity().SetReplaceChar('?');
    a.Buffer().SetInputSize(4096);
    a.Timeouts().SetReadInterval(0);
    a.Timeouts().SetWriteTotalMultiplier(200);
    a.FlowControl().SetControlDTR(dtrEnable);
    a.FlowControl().SetFlowControl(fcHardware);
    a.FlowControl().SetXonChar(1);
    TIniFile ini;
    a.StoreIniFile(ini);
    EXPECT_EQ(ini.ReadString("ComPort", "BaudRate", ""), "Custom");
    EXPECT_EQ(ini.ReadString("ComPort", "EventChar", ""), "#10");
    EXPECT_EQ(ini.ReadString("ComPort", "DiscardNull", ""), "Yes");
    EXPECT_EQ(ini.ReadString("ComPort", "FlowControl", ""), "Hardware");

    TSerPort b;
    b.SetStoredProps(a.StoredProps());
    b.LoadIniFile(ini);
    EXPECT_EQ(b.Port(), "COM4");
    EXPECT_EQ(b.BaudRate(), brCustom);
    EXPECT_EQ(b.CustomBaudRate(), 250000);
    EXPECT_EQ(b.EventChar(), 10);
    EXPECT_TRUE(b.DiscardNull());
    EXPECT_EQ(b.Parity().Bits(), prOdd);
    EXPECT_TRUE(b.Parity().Check());
    EXPECT_EQ(b.Parity().ReplaceChar(), '?');
    EXPECT_EQ(b.Buffer().InputSize(), 4096);
    EXPECT_EQ(b.Timeouts().ReadInterval(), 0);
    EXPECT_EQ(b.Timeouts().WriteTotalMultiplier(), 200);
    EXPECT_EQ(b.FlowControl().ControlDTR(), dtrEnable);
    EXPECT_EQ(b.FlowControl().FlowControl(), fcHardware);
    EXPECT_EQ(b.FlowControl().XonChar(), 1);
    EXPECT_EQ(b.UpdateCount(), 0);

    // Only the groups asked for are written; a Boolean is true only for "Yes".
    TSerPort c;
    TIniFile basic;
    c.StoreIniFile(basic);
    EXPECT_EQ(basic.ReadSection("comport").size(), 6u);
    basic.WriteString("ComPort", "DiscardNull", "true");
    c.SetStoredProps(TStoredProps{spOthers});
    c.LoadIniFile(basic);
    EXPECT_FALSE(c.DiscardNull());
}
