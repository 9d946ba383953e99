// The command line of an unattended run: the switches, their values, the order of the
// steps, and the argument each fault names.
#include "CommandLine.h"

#include <doctest.h>

#include <string>
#include <vector>

namespace {

void CheckFault(const std::vector<std::string>& args, ArgumentFault fault, const std::string& strArgument)
{
    std::string strLine;
    for (const std::string& strArg : args)
        strLine += "[" + strArg + "]";
    CAPTURE(strLine);
    const CommandLineParse parse = ParseCommandLine(args);
    CHECK(parse.fault == fault);
    CHECK(parse.strArgument == strArgument);
}

void CheckStep(const RunStep& step, StepKind kind, const std::string& strFile)
{
    CHECK(step.kind == kind);
    CHECK(step.strFile == strFile);
}

} // namespace

TEST_CASE("no arguments: an ordinary start, nothing chosen and no steps")
{
    const CommandLineParse parse = ParseCommandLine({});
    CHECK(parse.fault == ArgumentFault::None);
    CHECK(parse.strArgument.empty());
    CHECK(parse.line.nPort == 0);
    CHECK(parse.line.nDeviceType == -1);
    CHECK(parse.line.strLanguage.empty());
    CHECK(parse.line.steps.empty());
    CHECK(parse.line.strResult.empty());
    CHECK_FALSE(parse.line.bRepeat);
    CHECK_FALSE(parse.line.bQuiet);
}

TEST_CASE("every switch: the choices are kept and the steps run in the order given, repeats included")
{
    const CommandLineParse parse = ParseCommandLine(
        { "/port", "3", "/device", "Corlaxa", "/lang", "ZEV_EN.DLL", "/save-settings", "before.ZEVSET",
          "/download", "fw\\new.S19", "/clock", "/restore-settings", "bench.ZEVSET", "/readout", "out\\read.txt",
          "/clock", "/readout", "out\\again.txt", "/result", "results.csv", "/repeat", "/quiet" });
    REQUIRE(parse.fault == ArgumentFault::None);
    const CommandLine& line = parse.line;
    CHECK(line.nPort == 3);
    CHECK(line.nDeviceType == 1);
    CHECK(line.strLanguage == "ZEV_EN.DLL");
    CHECK(line.strResult == "results.csv");
    CHECK(line.bRepeat);
    CHECK(line.bQuiet);
    REQUIRE(line.steps.size() == 7);
    CheckStep(line.steps[0], StepKind::SaveSettings, "before.ZEVSET");
    CheckStep(line.steps[1], StepKind::Download, "fw\\new.S19");
    CheckStep(line.steps[2], StepKind::Clock, "");
    CheckStep(line.steps[3], StepKind::RestoreSettings, "bench.ZEVSET");
    CheckStep(line.steps[4], StepKind::Readout, "out\\read.txt");
    CheckStep(line.steps[5], StepKind::Clock, "");
    CheckStep(line.steps[6], StepKind::Readout, "out\\again.txt");
}

TEST_CASE("switches start with '/' or '-' and are matched without regard to case; so are the device names")
{
    const CommandLineParse parse = ParseCommandLine(
        { "-PORT", "1", "/Device", "bRENNIX", "-Lang", "ZEV_DE.DLL", "-READOUT", "r.txt", "/Restore-Settings", "s.ZEVSET",
          "-RESULT", "x.csv", "/rEpEaT", "-Quiet", "-CLOCK" });
    REQUIRE(parse.fault == ArgumentFault::None);
    CHECK(parse.line.nPort == 1);
    CHECK(parse.line.nDeviceType == 2);
    CHECK(parse.line.strLanguage == "ZEV_DE.DLL");
    CHECK(parse.line.strResult == "x.csv");
    CHECK(parse.line.bRepeat);
    CHECK(parse.line.bQuiet);
    REQUIRE(parse.line.steps.size() == 3);
    CheckStep(parse.line.steps[0], StepKind::Readout, "r.txt");
    CheckStep(parse.line.steps[1], StepKind::RestoreSettings, "s.ZEVSET");
    CheckStep(parse.line.steps[2], StepKind::Clock, "");

    const char* const apszNames[][2] = { { "Vantik", "VANTIK" }, { "Corlaxa", "corlaxa" }, { "Brennix", "BrEnNiX" } };
    for (int nType = 0; nType < 3; ++nType) {
        for (const char* pszName : apszNames[nType]) {
            CAPTURE(pszName);
            CHECK(ParseCommandLine({ "/device", pszName }).line.nDeviceType == nType);
        }
    }
}

TEST_CASE("a value is taken as it stands, even when it begins like a switch")
{
    // A folder given the Unix way, or a file whose name begins with '-', is no switch.
    const CommandLineParse parse = ParseCommandLine(
        { "/readout", "/out/read.txt", "/save-settings", "-old.ZEVSET", "/lang", "/quiet.dll", "/download", " a b ",
          "/result", "-" });
    REQUIRE(parse.fault == ArgumentFault::None);
    REQUIRE(parse.line.steps.size() == 3);
    CheckStep(parse.line.steps[0], StepKind::Readout, "/out/read.txt");
    CheckStep(parse.line.steps[1], StepKind::SaveSettings, "-old.ZEVSET");
    CheckStep(parse.line.steps[2], StepKind::Download, " a b ");
    CHECK(parse.line.strLanguage == "/quiet.dll");
    CHECK(parse.line.strResult == "-");
    CHECK_FALSE(parse.line.bQuiet);
}

TEST_CASE("the port is a number from 1 to 4 in plain digits; leading zeros are digits like any other")
{
    for (int nPort = 1; nPort <= 4; ++nPort) {
        const CommandLineParse parse = ParseCommandLine({ "/port", std::to_string(nPort) });
        CHECK(parse.fault == ArgumentFault::None);
        CHECK(parse.line.nPort == nPort);
    }
    CHECK(ParseCommandLine({ "/port", "01" }).line.nPort == 1);
    CHECK(ParseCommandLine({ "/port", "0004" }).line.nPort == 4);

    for (const char* pszPort : { "0", "5", "00", "10", "40", "+1", "-1", " 1", "1 ", "1a", "COM0", "COM257", "COM1 ",
                                 "x", "1.0", "0x1", "\xB9", "99999999999999999999999999", "rfc2217://host",
                                 "socket://:4001", "tcp://host:4001" }) {
        CheckFault({ "/port", pszPort, "/clock" }, ArgumentFault::BadPort, pszPort);
    }
}

TEST_CASE("the port may be named itself: COMn, rfc2217://HOST:PORT or socket://HOST:PORT")
{
    const CommandLineParse com = ParseCommandLine({ "/port", "com7", "/clock" });
    REQUIRE(com.fault == ArgumentFault::None);
    CHECK(com.line.nPort == 0); // no choice of the window
    CHECK(com.line.bPortTarget);
    CHECK(PortTargetText(com.line.portTarget) == "COM7");
    CHECK(PortTargetText(ParseCommandLine({ "/port", "COM1" }).line.portTarget) == "COM1");
    CHECK(ParseCommandLine({ "/port", "COM1" }).line.nPort == 0);

    const CommandLineParse rfc = ParseCommandLine({ "-PORT", "RFC2217://127.0.0.1:4001", "/clock" });
    REQUIRE(rfc.fault == ArgumentFault::None);
    CHECK(rfc.line.portTarget.kind == PortKind::Rfc2217);
    CHECK(PortTargetText(rfc.line.portTarget) == "rfc2217://127.0.0.1:4001");
    CHECK(ParseCommandLine({ "/port", "socket://[::1]:7" }).line.portTarget.kind == PortKind::Socket);

    CHECK_FALSE(ParseCommandLine({ "/port", "2" }).line.bPortTarget);
    CheckFault({ "/port", "COM7", "/port", "1" }, ArgumentFault::Twice, "/port");
}

TEST_CASE("a device that is not one of the three is named")
{
    for (const char* pszDevice : { "Vantik2", " Vantik", "Corlaxa ", "0", "1", "Vantik,Corlaxa", "Brenix" })
        CheckFault({ "/device", pszDevice }, ArgumentFault::BadDevice, pszDevice);
}

TEST_CASE("a missing value names the switch that lacks it, also when a switch stands in its place")
{
    for (const char* pszSwitch : { "/port", "/device", "/lang", "/download", "/restore-settings", "/save-settings",
                                   "/readout", "/result", "-READOUT" }) {
        CheckFault({ "/clock", pszSwitch }, ArgumentFault::MissingValue, pszSwitch);
        CheckFault({ pszSwitch, "/clock" }, ArgumentFault::MissingValue, pszSwitch);
        CheckFault({ pszSwitch, "" , "/clock" }, ArgumentFault::MissingValue, pszSwitch);
    }
    CheckFault({ "/download", "/clock", "/readout", "r.txt" }, ArgumentFault::MissingValue, "/download");
    CheckFault({ "/readout", "-Quiet" }, ArgumentFault::MissingValue, "/readout");
    CheckFault({ "/port", "-device", "Vantik" }, ArgumentFault::MissingValue, "/port");
    CheckFault({ "/device", "/port", "2" }, ArgumentFault::MissingValue, "/device");
}

TEST_CASE("a choice given twice names its second switch; the steps may repeat")
{
    CheckFault({ "/port", "1", "/clock", "/port", "2" }, ArgumentFault::Twice, "/port");
    CheckFault({ "/port", "1", "-PORT", "1" }, ArgumentFault::Twice, "-PORT");
    CheckFault({ "/device", "Vantik", "/Device", "Brennix" }, ArgumentFault::Twice, "/Device");
    CheckFault({ "/lang", "ZEV_EN.DLL", "/lang", "ZEV_EN.DLL" }, ArgumentFault::Twice, "/lang");
    CheckFault({ "/clock", "/result", "a.csv", "/result", "b.csv" }, ArgumentFault::Twice, "/result");
    CheckFault({ "/clock", "/repeat", "/clock", "-repeat" }, ArgumentFault::Twice, "-repeat");
    CheckFault({ "/quiet", "/clock", "/QUIET" }, ArgumentFault::Twice, "/QUIET");
    // The second one is the fault even when its value is missing too.
    CheckFault({ "/port", "1", "/port" }, ArgumentFault::Twice, "/port");

    const CommandLineParse parse = ParseCommandLine({ "/clock", "/clock", "/readout", "a.txt", "/readout", "a.txt" });
    CHECK(parse.fault == ArgumentFault::None);
    CHECK(parse.line.steps.size() == 4);
}

TEST_CASE("/result and /repeat need a step; the other choices alone are an ordinary start")
{
    CheckFault({ "/result", "r.csv" }, ArgumentFault::NoSteps, "/result");
    CheckFault({ "/repeat" }, ArgumentFault::NoSteps, "/repeat");
    CheckFault({ "/port", "2", "-Repeat", "/quiet" }, ArgumentFault::NoSteps, "-Repeat");
    // The first of the two is named.
    CheckFault({ "/repeat", "/result", "r.csv" }, ArgumentFault::NoSteps, "/repeat");
    CheckFault({ "/result", "r.csv", "/repeat" }, ArgumentFault::NoSteps, "/result");

    CHECK(ParseCommandLine({ "/result", "r.csv", "/repeat", "/clock" }).fault == ArgumentFault::None);
    const CommandLineParse parse = ParseCommandLine({ "/port", "2", "/device", "Vantik", "/lang", "ZEV_EN.DLL", "/quiet" });
    CHECK(parse.fault == ArgumentFault::None);
    CHECK(parse.line.steps.empty());
    CHECK(parse.line.bQuiet);
}

TEST_CASE("an unknown switch, or a value where a switch belongs, is named as given")
{
    for (const char* pszArgument : { "/help", "-?", "read.txt", "3", "/", "-", "", "//clock", "--clock", "/clock=1",
                                     "/ clock", "/port1", "/clock ", "/readouts", "\\clock", "/sav-settings" }) {
        CheckFault({ "/clock", pszArgument, "/readout", "r.txt" }, ArgumentFault::Unknown, pszArgument);
    }
    CheckFault({ "/readout", "a.txt", "b.txt" }, ArgumentFault::Unknown, "b.txt");
    CheckFault({ "/port", "1", "2" }, ArgumentFault::Unknown, "2");
}

TEST_CASE("the first fault from the left is the one named")
{
    CheckFault({ "/port", "9", "/device", "Nobody" }, ArgumentFault::BadPort, "9");
    CheckFault({ "/bogus", "/port", "9" }, ArgumentFault::Unknown, "/bogus");
    CheckFault({ "/device", "Nobody", "/result" }, ArgumentFault::BadDevice, "Nobody");
    // A fault found on the way comes before the missing step the end would find.
    CheckFault({ "/result", "r.csv", "/quiet", "/quiet" }, ArgumentFault::Twice, "/quiet");
}

TEST_CASE("each step's name is its switch without the '/'")
{
    CHECK(std::string(StepName(StepKind::Download)) == "download");
    CHECK(std::string(StepName(StepKind::Clock)) == "clock");
    CHECK(std::string(StepName(StepKind::RestoreSettings)) == "restore-settings");
    CHECK(std::string(StepName(StepKind::SaveSettings)) == "save-settings");
    CHECK(std::string(StepName(StepKind::Readout)) == "readout");
    // The name leads back to the same step.
    for (StepKind kind : { StepKind::Download, StepKind::Clock, StepKind::RestoreSettings, StepKind::SaveSettings,
                           StepKind::Readout }) {
        const std::vector<std::string> args = { std::string("/") + StepName(kind), "f" };
        const CommandLineParse parse = ParseCommandLine(kind == StepKind::Clock ? std::vector<std::string> { args[0] } : args);
        REQUIRE(parse.line.steps.size() == 1);
        CHECK(parse.line.steps[0].kind == kind);
    }
}

TEST_CASE("a unit's file gets its number before the last extension of the name, the folder left alone")
{
    CHECK(NumberedFileName("out\\read.txt", 3) == "out\\read-3.txt");
    CHECK(NumberedFileName("read.txt", 1) == "read-1.txt");
    CHECK(NumberedFileName("read", 12) == "read-12");
    CHECK(NumberedFileName("a.b\\c", 3) == "a.b\\c-3");
    CHECK(NumberedFileName("a.b/c", 3) == "a.b/c-3");
    CHECK(NumberedFileName("C:\\bench.2\\unit.tar.gz", 4294967295u) == "C:\\bench.2\\unit.tar-4294967295.gz");
    CHECK(NumberedFileName("..\\results\\read.txt", 0) == "..\\results\\read-0.txt");
    CHECK(NumberedFileName("\\\\server\\share.x\\read", 7) == "\\\\server\\share.x\\read-7");

    SUBCASE("a name that begins with a dot has no extension but a later one")
    {
        CHECK(NumberedFileName(".hidden", 2) == ".hidden-2");
        CHECK(NumberedFileName("out\\.hidden", 2) == "out\\.hidden-2");
        CHECK(NumberedFileName("out/.hidden.txt", 2) == "out/.hidden-2.txt");
    }
    SUBCASE("a drive's colon ends the folder as a separator does")
    {
        CHECK(NumberedFileName("C:read.txt", 5) == "C:read-5.txt");
        CHECK(NumberedFileName("C:.hidden", 5) == "C:.hidden-5");
    }
    SUBCASE("a name ending in a dot keeps it after the number")
    {
        CHECK(NumberedFileName("read.", 6) == "read-6.");
    }
}

TEST_CASE("which device type offers which step: the download every type, the rest a Corlaxa alone")
{
    const StepKind kCorlaxaOnly[] = { StepKind::Clock, StepKind::Readout, StepKind::SaveSettings,
                                      StepKind::RestoreSettings };
    for (int nType = 0; nType < 3; ++nType) {
        CAPTURE(nType);
        CHECK(DeviceTypeOffersStep(nType, StepKind::Download));
        for (StepKind kind : kCorlaxaOnly) {
            CAPTURE(StepName(kind));
            CHECK(DeviceTypeOffersStep(nType, kind) == (nType == 1));
        }
    }
    SUBCASE("a type outside the table offers nothing")
    {
        for (int nType : { -1, 3, 1000 }) {
            CAPTURE(nType);
            CHECK_FALSE(DeviceTypeOffersStep(nType, StepKind::Download));
            CHECK_FALSE(DeviceTypeOffersStep(nType, StepKind::Clock));
        }
    }
    SUBCASE("the type a message names as the one that offers a step")
    {
        CHECK(DeviceTypeOfferingStep(StepKind::Download) == 0);
        for (StepKind kind : kCorlaxaOnly)
            CHECK(DeviceTypeOfferingStep(kind) == 1);
    }
}

TEST_CASE("the first step the device type does not offer is found, in the order given")
{
    const CommandLineParse parse = ParseCommandLine(
        { "/download", "fw.S19", "/readout", "r.txt", "/clock", "/save-settings", "s.ZEVSET" });
    REQUIRE(parse.fault == ArgumentFault::None);
    StepKind kind = StepKind::Download;
    SUBCASE("a Vantik and a Brennix: the read-out, which comes before the clock")
    {
        for (int nType : { 0, 2 }) {
            CAPTURE(nType);
            kind = StepKind::Download;
            CHECK(FindStepNotOffered(parse.line, nType, kind));
            CHECK(kind == StepKind::Readout);
        }
    }
    SUBCASE("a Corlaxa offers every one")
    {
        CHECK_FALSE(FindStepNotOffered(parse.line, 1, kind));
    }
    SUBCASE("a download alone is every type's")
    {
        const CommandLineParse download = ParseCommandLine({ "/download", "fw.S19", "/download", "fw2.S19" });
        for (int nType : { 0, 1, 2 })
            CHECK_FALSE(FindStepNotOffered(download.line, nType, kind));
    }
    SUBCASE("each settings step, and the clock, alone on a Vantik")
    {
        for (const char* pszSwitch : { "/clock", "/save-settings", "/restore-settings", "/readout" }) {
            CAPTURE(pszSwitch);
            std::vector<std::string> args = { "/download", "fw.S19", pszSwitch };
            if (std::string(pszSwitch) != "/clock")
                args.push_back("file");
            const CommandLineParse one = ParseCommandLine(args);
            REQUIRE(one.fault == ArgumentFault::None);
            CHECK(FindStepNotOffered(one.line, 0, kind));
            CHECK(std::string("/") + StepName(kind) == pszSwitch);
        }
    }
    SUBCASE("no steps: nothing to refuse")
    {
        CHECK_FALSE(FindStepNotOffered(ParseCommandLine({ "/port", "2" }).line, 0, kind));
    }
}
