// Wake-up, working baud rate and the end of a session.
#include <doctest.h>

#include "device_harness.h"

using namespace zevsim_test;
using zevsim::Action;

namespace {

// The actions of the wake-up answer, without notes.
std::vector<Action> outward(const DeviceHarness& harness) {
  std::vector<Action> result;
  for (const Action& action : harness.actions)
    if (action.kind != Action::Kind::Note) result.push_back(action);
  return result;
}

}  // namespace

TEST_CASE("each type answers its wake-up at its working rate, after switching to it") {
  const struct {
    int type;
    const char* wakeUp;
    int baud;
    const char* name;
  } cases[] = {
      {0, "**\x18" "B00", 38400, "Vantik"},
      {1, "**\x18" "B01", 19200, "Corlaxa"},
      {2, "**\x18" "B02", 38400, "Brennix"},
  };
  for (const auto& c : cases) {
    CAPTURE(c.type);
    DeviceHarness harness(configOfType(c.type));
    CHECK(harness.device.baud() == 9600);
    // nothing goes out before the tool has had time to re-open its port
    CHECK(harness.send(c.wakeUp, 40).empty());
    const std::string answer = harness.pass(200);
    CHECK(answer == std::string(c.name) + " V2.14 SN 104711\r");

    const std::vector<Action> out = outward(harness);
    REQUIRE(out.size() == 2);
    CHECK(out[0].kind == Action::Kind::SetBaud);
    CHECK(out[0].baud == c.baud);
    CHECK(out[1].kind == Action::Kind::Send);
    CHECK(harness.device.baud() == c.baud);
  }
}

TEST_CASE("the identification line waits for the wake-up delay") {
  zevsim::DeviceConfig config = configOfType(1);
  config.wakeUpDelayMs = 300;
  DeviceHarness harness(config);
  CHECK(harness.send("**\x18" "B01", 299).empty());
  CHECK(harness.pass(1) == "Corlaxa V2.14 SN 104711\r");
}

TEST_CASE("before a wake-up and after E the device answers no command") {
  DeviceHarness harness(configOfType(1));
  CHECK(harness.send("rgV", 200).empty());
  CHECK_FALSE(harness.device.awake());
  CHECK(harness.notes().find("asleep") != std::string::npos);

  harness.wake();
  CHECK(harness.send("r") == "9,33,0\r");
  CHECK(harness.send("E", 200).empty());
  CHECK(harness.device.baud() == 9600);
  CHECK(harness.bauds() == 2);  // to the working rate and back
  CHECK(harness.send("r", 200).empty());
  CHECK_FALSE(harness.device.awake());

  // and a new session starts with the next wake-up
  harness.wake();
  CHECK(harness.send("r") == "9,33,0\r");
}

TEST_CASE("a wake-up for another device type is not answered") {
  DeviceHarness harness(configOfType(1));
  CHECK(harness.send("**\x18" "B00", 500).empty());
  CHECK(harness.bauds() == 0);
  CHECK_FALSE(harness.device.awake());
  CHECK(harness.notes().find("wake-up for type 00 ignored") != std::string::npos);
}

TEST_CASE("the wake-up string is found among other bytes") {
  DeviceHarness harness(configOfType(2));
  // line noise before it, a third star, and the string split over several reads
  harness.send("x\x01**", 5);
  harness.send("*\x18", 5);
  CHECK(harness.send("B02", 500) == "Brennix V2.14 SN 104711\r");

  // broken strings wake nothing
  DeviceHarness other(configOfType(2));
  CHECK(other.send("**B02**\x18" "C02*\x18" "B02", 500).empty());
}

TEST_CASE("a tool that starts again finds the device ready for a new wake-up") {
  DeviceHarness harness(configOfType(0));
  harness.wake();
  harness.send("G", 10);  // the tool goes away before sending the value text
  harness.pass(1000);     // the device gives the value up
  CHECK(harness.notes().find("no CR after the value text of G") != std::string::npos);
  CHECK(harness.send("**\x18" "B00", 500) == "Vantik V2.14 SN 104711\r");
  CHECK(harness.send("g") == "1\r");
}
