// The settings file, read through the Windows profile functions as ZEVSIM.EXE does.
#include <doctest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "device_harness.h"
#include "settings_file.h"

using namespace zevsim;

namespace {

struct TempIni {
  explicit TempIni(const std::string& text) {
    char folder[MAX_PATH];
    GetTempPathA(sizeof folder, folder);
    path = std::string(folder) + "zevsim_settings_test.ini";
    std::FILE* file = std::fopen(path.c_str(), "w");
    REQUIRE(file);
    std::fputs(text.c_str(), file);
    std::fclose(file);
  }
  ~TempIni() { DeleteFileA(path.c_str()); }
  std::string path;
};

}  // namespace

TEST_CASE("the settings file sets identification, replies, read-out lines, clock and flow") {
  TempIni ini(
      "; a device as it left the workshop\n"
      "[Device]\nIdent=Corlaxa V3.01 SN 777\nClock=240229235900\n"
      "[Replies]\nr=12,40,7\ng=\"1 \"\n4=rs485\nL=ABC\n"
      "[Readout]\nV1=first\nV2=second {clock}\nO1=only\n"
      "[Monitor]\nPeakFlow=900\nErrorEveryMs=0\nStartReading=5\n");
  DeviceValues values = defaultValues(1);
  const SettingsLoad load = loadSettings(ini.path, values);
  REQUIRE_MESSAGE(load.ok, load.error);
  CHECK(load.notes.empty());
  CHECK(values.ident == "Corlaxa V3.01 SN 777");
  CHECK(values.clock == "240229235900");
  CHECK(values.replies['r'] == "12,40,7");
  CHECK(values.replies['g'] == "1 ");  // quotes keep the blank the tool must refuse
  CHECK(values.replies['4'] == "rs485");
  CHECK(values.replies['L'] == "ABC");
  CHECK(values.replies['h'] == "0");  // not in the file: the default stays
  CHECK(values.readoutV == std::vector<std::string>{"first", "second {clock}"});
  CHECK(values.readoutO == std::vector<std::string>{"only"});
  CHECK(values.flow.peakFlow == 900);
  CHECK(values.flow.errorEveryMs == 0);
  CHECK(values.flow.startReading == 5.0);
  CHECK(values.flow.rampMs == 4000);
}

TEST_CASE("bad entries in the settings file are named and their defaults used") {
  TempIni ini("[Device]\nIdent=\nClock=241301000000\n[Monitor]\nPeakFlow=lots\nRampMs=-5\n");
  DeviceValues values = defaultValues(0);
  const SettingsLoad load = loadSettings(ini.path, values);
  REQUIRE(load.ok);
  REQUIRE(load.notes.size() == 4u);
  CHECK(load.notes[0] == "settings: [Device] Ident is empty; using \"Vantik V2.14 SN 104711\"");
  CHECK(load.notes[1] ==
        "settings: [Device] Clock=241301000000 is no clock yymmddhhmmss (month out of range); using the PC clock");
  CHECK(load.notes[2] == "settings: [Monitor] PeakFlow=lots is not a number from 0 to 32767; using 450");
  CHECK(load.notes[3].find("RampMs=-5") != std::string::npos);
  CHECK(values.ident == "Vantik V2.14 SN 104711");
  CHECK(values.clock.empty());
  CHECK(values.flow.peakFlow == 450);
  CHECK(values.flow.rampMs == 4000);
}

TEST_CASE("a settings file that is not there is an error") {
  DeviceValues values = defaultValues(0);
  const SettingsLoad load = loadSettings("no-such-folder\\no-such.ini", values);
  CHECK_FALSE(load.ok);
  CHECK(load.error.find("not found") != std::string::npos);
}

TEST_CASE("the sample settings file states the values a type-1 device starts with") {
  DeviceValues fromFile = defaultValues(0);  // another type, so that every value must come from the file
  const SettingsLoad load = loadSettings(ZEVSIM_SAMPLE_INI, fromFile);
  REQUIRE_MESSAGE(load.ok, load.error);
  CHECK(load.notes.empty());
  const DeviceValues defaults = defaultValues(1);
  CHECK(fromFile.ident == defaults.ident);
  CHECK(fromFile.replies == defaults.replies);
  CHECK(fromFile.readoutV == defaults.readoutV);
  CHECK(fromFile.readoutO == defaults.readoutO);
  CHECK(fromFile.clock == defaults.clock);
  CHECK(fromFile.flow.peakFlow == defaults.flow.peakFlow);
  CHECK(fromFile.flow.rampMs == defaults.flow.rampMs);
  CHECK(fromFile.flow.holdMs == defaults.flow.holdMs);
  CHECK(fromFile.flow.pauseMs == defaults.flow.pauseMs);
  CHECK(fromFile.flow.errorEveryMs == defaults.flow.errorEveryMs);
  CHECK(fromFile.flow.pulsesPerLitre == defaults.flow.pulsesPerLitre);
  CHECK(fromFile.flow.startReading == defaults.flow.startReading);
}

TEST_CASE("configuration replies from the settings file go out byte for byte, odd ones too") {
  const struct {
    const char* entry;  // as written in [Replies]
    char letter;
    const char* line;   // what the device sends, CR included
  } cases[] = {
      {"r=9,33,0", 'r', "9,33,0\r"},
      {"r=9,33", 'r', "9,33\r"},
      {"r=9", 'r', "9\r"},
      {"r=x,y,z", 'r', "x,y,z\r"},
      {"r=\" 12,40,7\"", 'r', " 12,40,7\r"},
      {"r= 12,40,7", 'r', "12,40,7\r"},  // without quotes the profile functions drop the blank
      {"h=01", 'h', "01\r"},
      {"h=\"1 \"", 'h', "1 \r"},
      {"h=", 'h', "\r"},
      {"h=\"\"", 'h', "\r"},
      {"3=scania", '3', "scania\r"},
      {"3=SCANIA", '3', "SCANIA\r"},
      {"3=OTHER", '3', "OTHER\r"},
      {"b=0", 'b', "0\r"},
      {"b=1", 'b', "1\r"},
      {"b=2", 'b', "2\r"},
      {"b=on", 'b', "on\r"},
  };
  for (const auto& c : cases) {
    CAPTURE(c.entry);
    TempIni ini(std::string("[Replies]\n") + c.entry + "\n");
    DeviceValues values = defaultValues(1);
    REQUIRE(loadSettings(ini.path, values).ok);
    zevsim_test::DeviceHarness harness(zevsim_test::configOfType(1), &values);
    harness.wake();
    CHECK(harness.send(std::string(1, c.letter)) == c.line);
  }
}

TEST_CASE("V1= alone in the settings file: an empty read-out, ESC and the closing empty line") {
  TempIni ini("[Readout]\nV1=\nO1=only\nO2=\nO3=never\n");
  DeviceValues values = defaultValues(1);
  REQUIRE(loadSettings(ini.path, values).ok);
  zevsim_test::DeviceHarness harness(zevsim_test::configOfType(1), &values);
  harness.wake();
  CHECK(harness.send("V") == "\x1B\r");
  CHECK(harness.send("O") == "\x1B" "only\r\r");
}
