// Wake-up, working baud rate and the end of a session.
#include <doctest.h>

#include "bench.h"

using namespace zevsim_test;
using zevsim::Action;

namespace {

// The actions of the wake-up answer, without notes.
std::vector<Action> outward(const Bench& bench) {
  std::vector<Action> result;
  for (const Action& action : bench.actions)
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
    Bench bench(configOfType(c.type));
    CHECK(bench.device.baud() == 9600);
    // nothing goes out before the tool has had time to re-open its port
    CHECK(bench.send(c.wakeUp, 40).empty());
    const std::string answer = bench.pass(200);
    CHECK(answer == std::string(c.name) + " V2.14 SN 104711\r");

    const std::vector<Action> out = outward(bench);
    REQUIRE(out.size() == 2);
    CHECK(out[0].kind == Action::Kind::SetBaud);
    CHECK(out[0].baud == c.baud);
    CHECK(out[1].kind == Action::Kind::Send);
    CHECK(bench.device.baud() == c.baud);
  }
}

TEST_CASE("the identification line waits for the wake-up delay") {
  zevsim::DeviceConfig config = configOfType(1);
  config.wakeUpDelayMs = 300;
  Bench bench(config);
  CHECK(bench.send("**\x18" "B01", 299).empty());
  CHECK(bench.pass(1) == "Corlaxa V2.14 SN 104711\r");
}

TEST_CASE("before a wake-up and after E the device answers no command") {
  Bench bench(configOfType(1));
  CHECK(bench.send("rgV", 200).empty());
  CHECK_FALSE(bench.device.awake());
  CHECK(bench.notes().find("asleep") != std::string::npos);

  bench.wake();
  CHECK(bench.send("r") == "9,33,0\r");
  CHECK(bench.send("E", 200).empty());
  CHECK(bench.device.baud() == 9600);
  CHECK(bench.bauds() == 2);  // to the working rate and back
  CHECK(bench.send("r", 200).empty());
  CHECK_FALSE(bench.device.awake());

  // and a new session starts with the next wake-up
  bench.wake();
  CHECK(bench.send("r") == "9,33,0\r");
}

TEST_CASE("a wake-up for another device type is not answered") {
  Bench bench(configOfType(1));
  CHECK(bench.send("**\x18" "B00", 500).empty());
  CHECK(bench.bauds() == 0);
  CHECK_FALSE(bench.device.awake());
  CHECK(bench.notes().find("wake-up for type 00 ignored") != std::string::npos);
}

TEST_CASE("the wake-up string is found among other bytes") {
  Bench bench(configOfType(2));
  // line noise before it, a third star, and the string split over several reads
  bench.send("x\x01**", 5);
  bench.send("*\x18", 5);
  CHECK(bench.send("B02", 500) == "Brennix V2.14 SN 104711\r");

  // broken strings wake nothing
  Bench other(configOfType(2));
  CHECK(other.send("**B02**\x18" "C02*\x18" "B02", 500).empty());
}

TEST_CASE("a tool that starts again finds the device ready for a new wake-up") {
  Bench bench(configOfType(0));
  bench.wake();
  bench.send("G", 10);  // the tool goes away before sending the value text
  bench.pass(1000);     // the device gives the value up
  CHECK(bench.notes().find("no CR after the value text of G") != std::string::npos);
  CHECK(bench.send("**\x18" "B00", 500) == "Vantik V2.14 SN 104711\r");
  CHECK(bench.send("g") == "1\r");
}
