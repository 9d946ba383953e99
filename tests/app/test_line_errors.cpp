// Line errors in the program's own process: the main window on COM1 with KORA's sources
// built in with the line-error seam, the test playing the device on the pty pair's other
// end. A framing, parity, overrun or break error is said in the log at most once a
// second, with its kinds and count, and the wake-up or transaction it came in goes on.
#include "BoxAnswerer.h"
#include "LineErrorSeam.h"
#include "MainWindowFixture.h"
#include "kora_test_support.h"

#include <doctest.h>

#include <algorithm>
#include <functional>
#include <thread>

namespace {
const char kLinePrefix[] = "Leitungsfehler an COM1: ";

bool PumpUntil(const std::function<bool()>& done, DWORD nMilliseconds)
{
    ULONGLONG nEnd = GetTickCount64() + nMilliseconds;
    while (!done()) {
        if (GetTickCount64() > nEnd)
            return false;
        PumpMessages(5);
    }
    return true;
}

struct LineErrorFixture : MainWindowFixture {
    DevicePort device{ 1 };
    BoxAnswerer answerer{ IDOK }; // a box would be a fault in every case here

    // Connect: the wake-up at 9600, the working rate 30 ms later, the device's line.
    void Connect(DWORD nLineErrorsAfterWakeUp = 0)
    {
        dlg.SendMessage(WM_COMMAND, ID_LINK_CONNECT);
        REQUIRE(device.read(6, 3000) == "**\x18" "B00");
        if (nLineErrorsAfterWakeUp)
            Inject(nLineErrorsAfterWakeUp);
        PumpMessages(100);
        device.write("ZEV TEST DEVICE\r");
        REQUIRE(PumpUntil([&] { return dlg.m_bConnected != FALSE; }, 3000));
    }

    // The flags as the port would report them, taken by the link's I/O thread.
    void Inject(DWORD nFlags)
    {
        InjectLineErrors(1, nFlags);
        REQUIRE(PumpUntil([] { return LineErrorsTaken(1); }, 2000));
    }

    std::vector<std::string> LineErrorLines() const
    {
        std::vector<std::string> lines;
        for (const std::string& line : LogWindowLines())
            if (line.rfind(kLinePrefix, 0) == 0)
                lines.push_back(line);
        return lines;
    }

    bool LogHas(const std::string& strLine) const
    {
        std::vector<std::string> lines = LogWindowLines();
        return std::find(lines.begin(), lines.end(), strLine) != lines.end();
    }
};
}

TEST_CASE("a byte at the wrong rate during the wake-up is said, and the device is connected")
{
    LineErrorFixture fixture;
    fixture.Connect(CE_FRAME);
    CServiceDlg& dlg = fixture.dlg;
    CHECK(PumpUntil([&] { return !fixture.LineErrorLines().empty(); }, 2000));
    CHECK(fixture.LineErrorLines() ==
          std::vector<std::string>{ "Leitungsfehler an COM1: Rahmenfehler, 1 seit der letzten Zeile" });
    CHECK(fixture.LogHas(">> (Init.) ZEV TEST DEVICE"));
    CHECK(dlg.m_bLinkOpen != 0);
    CHECK(dlg.m_nOperation == OP_IDLE);
    CHECK(fixture.answerer.Boxes().empty());
}

TEST_CASE("an identification that comes before a late baud switch is kept")
{
    // A window busy elsewhere handles the switch's timer late: the device has answered
    // by then, and the re-open at the working rate must not drop the answer.
    LineErrorFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.SendMessage(WM_COMMAND, ID_LINK_CONNECT);
    REQUIRE(fixture.device.read(6, 3000) == "**\x18" "B00");
    fixture.device.write("ZEV TEST DEVICE\r");
    ::Sleep(300); // no message handled meanwhile; the link's own thread takes the bytes
    dlg.SendMessage(WM_TIMER, TIMER_BAUD_SWITCH);
    CHECK(PumpUntil([&] { return dlg.m_bConnected != FALSE; }, 2000));
    CHECK(fixture.LogHas(">> (Init.) ZEV TEST DEVICE"));
}

TEST_CASE("an identification that arrives while the link is re-opened at the working rate comes whole")
{
    // The device answers a byte at a time while the switch closes the link and opens it
    // again: bytes the closed link had taken and bytes that came while it was closed are
    // all the new link's.
    LineErrorFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    dlg.SendMessage(WM_COMMAND, ID_LINK_CONNECT);
    REQUIRE(fixture.device.read(6, 3000) == "**\x18" "B00");
    const std::string ident = "ZEV TEST DEVICE WITH A LONGER IDENTIFICATION LINE\r";
    std::thread device([&] {
        for (char c : ident) {
            fixture.device.write(std::string(1, c));
            ::Sleep(1);
        }
    });
    ::Sleep(10);
    dlg.SendMessage(WM_TIMER, TIMER_BAUD_SWITCH);
    device.join();
    CHECK(PumpUntil([&] { return dlg.m_bConnected != FALSE; }, 2000));
    CHECK(fixture.LogHas(">> (Init.) ZEV TEST DEVICE WITH A LONGER IDENTIFICATION LINE"));
}

TEST_CASE("what the device sent before the disconnect is not taken for a line after it")
{
    LineErrorFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    fixture.Connect();
    fixture.device.write("TAIL OF THE SESSION\r");
    ::Sleep(300); // no message handled meanwhile; the link's own thread takes the bytes
    dlg.SendMessage(WM_COMMAND, ID_LINK_DISCONNECT);
    REQUIRE(fixture.device.read(1, 2000) == "E");
    PumpMessages(300);
    CHECK_FALSE(fixture.LogHas(">> (CR) TAIL OF THE SESSION"));
    // The port stays open at 9600: what comes now is said as ever.
    fixture.device.write("LATER\r");
    CHECK(PumpUntil([&] { return fixture.LogHas(">> (CR) LATER"); }, 2000));
}

TEST_CASE("a burst is said once a second with its counts, and its end is said when the second is over")
{
    LineErrorFixture fixture;
    fixture.Connect();
    fixture.Inject(CE_FRAME);
    REQUIRE(PumpUntil([&] { return fixture.LineErrorLines().size() == 1; }, 2000));
    ULONGLONG nFirstLineAt = GetTickCount64();
    CHECK(fixture.LineErrorLines()[0] == "Leitungsfehler an COM1: Rahmenfehler, 1 seit der letzten Zeile");

    // More of every kind, and then the line is quiet: the rest comes in one line, once
    // the second since the first line is over.
    fixture.Inject(CE_FRAME);
    fixture.Inject(CE_RXPARITY | CE_OVERRUN);
    fixture.Inject(CE_BREAK);
    REQUIRE(PumpUntil([&] { return fixture.LineErrorLines().size() == 2; }, 3000));
    CHECK(GetTickCount64() - nFirstLineAt >= 950); // a window timer does not come early
    CHECK(fixture.LineErrorLines()[1] ==
          "Leitungsfehler an COM1: Rahmenfehler, Paritätsfehler, Überlauf, Break, 4 seit der letzten Zeile");

    // Nothing more came: nothing more is said.
    PumpMessages(1500);
    CHECK(fixture.LineErrorLines().size() == 2);

    // A second after the last line, the next error is said at once.
    fixture.Inject(CE_OVERRUN);
    CHECK(PumpUntil([&] { return fixture.LineErrorLines().size() == 3; }, 500));
    CHECK(fixture.LineErrorLines().back() == "Leitungsfehler an COM1: Überlauf, 1 seit der letzten Zeile");
    CHECK(fixture.answerer.Boxes().empty());
    CHECK(fixture.dlg.m_bLinkOpen != 0);
}

TEST_CASE("a line error in the middle of an answer leaves the transaction to the protocol")
{
    LineErrorFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    fixture.Connect();
    dlg.SendMessage(WM_COMMAND, ID_DEVICE_QUERY);
    REQUIRE(fixture.device.read(1, 2000) == "L");
    fixture.device.write("FIRST PA");
    fixture.Inject(CE_FRAME | CE_BREAK);
    fixture.device.write("RT\r");
    CHECK(PumpUntil([&] { return fixture.LogHas("Antwort: FIRST PART"); }, 2000));
    CHECK(fixture.device.read(1, 2000) == "\r"); // a Vantik's line is acknowledged
    CHECK(PumpUntil([&] { return dlg.m_nOperation == OP_IDLE; }, 1000));
    CHECK(fixture.LineErrorLines() ==
          std::vector<std::string>{ "Leitungsfehler an COM1: Rahmenfehler, Break, 2 seit der letzten Zeile" });

    // No link error, no time-out: the next command goes out as usual.
    PumpMessages(1200);
    CHECK(fixture.answerer.Boxes().empty());
    CHECK(dlg.m_bLinkOpen != 0);
    dlg.SendMessage(WM_COMMAND, ID_DEVICE_QUERY);
    CHECK(fixture.device.read(1, 2000) == "L");
    fixture.device.write("SECOND\r");
    CHECK(PumpUntil([&] { return fixture.LogHas("Antwort: SECOND"); }, 2000));
}

TEST_CASE("what the link counted before it closes is said at once")
{
    LineErrorFixture fixture;
    CServiceDlg& dlg = fixture.dlg;
    fixture.Connect();
    fixture.Inject(CE_FRAME);
    REQUIRE(PumpUntil([&] { return fixture.LineErrorLines().size() == 1; }, 2000));
    fixture.Inject(CE_RXPARITY); // held back for the rest of the second...
    PumpMessages(50);
    dlg.SendMessage(WM_COMMAND, ID_LINK_DISCONNECT); // ...but the link closes now
    std::vector<std::string> lines = fixture.LogWindowLines();
    REQUIRE(lines.size() >= 2);
    CHECK(lines[lines.size() - 2] == "Verbindung getrennt");
    CHECK(lines.back() == "Leitungsfehler an COM1: Paritätsfehler, 1 seit der letzten Zeile");
    PumpMessages(1200);
    CHECK(fixture.LineErrorLines().size() == 2); // and not again when its second is over
}
