// --replay: the tool's sends held against the trace's TX records as one byte stream,
// the RX records after each as its answer with their gaps, mismatches noted and not
// answered, and the answers put in order for the port.
#include <doctest.h>

#include <string>
#include <vector>

#include "replay_device.h"
#include "replay_matcher.h"

using namespace zevsim;

namespace {

const std::string kWakeUp = "**\x18" "B01";

TraceRecord tx(Millis time, const std::string& bytes, int line) { return {true, time, bytes, line}; }
TraceRecord rx(Millis time, const std::string& bytes, int line) { return {false, time, bytes, line}; }

// A session: connect, 'r' answered in two pieces, 'g' not answered (a time-out in the
// field), 'w', then the disconnect.
std::vector<TraceRecord> session() {
  return {rx(900, "noise", 3),       tx(1000, kWakeUp, 4),    rx(1115, "Corlaxa V2.14\r", 5),
          tx(2000, "r", 6),          rx(2035, "9,33", 7),     rx(3035, ",0\r", 8),
          tx(4000, "g", 9),          tx(6000, "w", 10),       rx(6020, "1\r", 11),
          tx(7000, "E", 12)};
}

// The sends of a feed, as "delay:bytes" each.
std::vector<std::string> sends(const std::vector<ReplayAction>& actions) {
  std::vector<std::string> out;
  for (const ReplayAction& a : actions)
    if (a.action.kind == Action::Kind::Send) out.push_back(std::to_string(a.delay) + ":" + a.action.bytes);
  return out;
}

std::string notes(const std::vector<ReplayAction>& actions) {
  std::string out;
  for (const ReplayAction& a : actions)
    if (a.action.kind == Action::Kind::Note) out += a.action.bytes + "\n";
  return out;
}

using Sends = std::vector<std::string>;

}  // namespace

TEST_CASE("the exchanges of a trace: RX records before the first TX record answer nothing") {
  ReplayMatcher matcher(session(), false);
  CHECK(matcher.exchanges() == 5);
  CHECK(matcher.answersBeforeFirstSend() == 1);
}

TEST_CASE("a TX record in pieces is answered when its last byte has come, baud switch first") {
  ReplayMatcher matcher(session(), false);
  CHECK(matcher.feed("*").empty());
  CHECK(matcher.feed("*\x18" "B0").empty());
  const std::vector<ReplayAction> out = matcher.feed("1");
  REQUIRE(out.size() == 2);
  CHECK(out[0].action.kind == Action::Kind::SetBaud);
  CHECK(out[0].action.baud == 19200);
  CHECK(sends(out) == Sends{"115:Corlaxa V2.14\r"});
  CHECK(matcher.next() == 1);
}

TEST_CASE("several TX records in one piece: each one's answers, in order, with their gaps") {
  ReplayMatcher matcher(session(), false);
  CHECK(sends(matcher.feed(kWakeUp + "rgw")) == Sends{"115:Corlaxa V2.14\r", "35:9,33", "1035:,0\r", "20:1\r"});
  CHECK(matcher.next() == 4);
  const std::vector<ReplayAction> bye = matcher.feed("E");
  REQUIRE(bye.size() == 2);
  CHECK(bye[0].action.kind == Action::Kind::SetBaud);
  CHECK(bye[0].action.baud == 9600);
  CHECK(notes(bye).find("the trace's last TX record (line 12) has come") != std::string::npos);
}

TEST_CASE("replayed fast, every answer comes at once but the wake-up's, which keeps its gap") {
  ReplayMatcher matcher(session(), true);
  // the tool takes the working rate 30 ms after the wake-up: an answer at once would be lost
  CHECK(sends(matcher.feed(kWakeUp + "r")) == Sends{"115:Corlaxa V2.14\r", "0:9,33", "0:,0\r"});
}

TEST_CASE("replayed fast, the gaps after a send that switches the rate are kept, all its answers'") {
  const std::vector<TraceRecord> trace = {tx(0, "**\x18" "B00", 1), rx(90, "Van", 2), rx(130, "tik\r", 3),
                                          tx(500, "L", 4),            rx(510, "\x1b", 5), rx(700, "x\r", 6),
                                          tx(900, "E", 7),            rx(960, "?", 8)};
  ReplayMatcher matcher(trace, true);
  CHECK(sends(matcher.feed("**\x18" "B00")) == Sends{"90:Van", "130:tik\r"});
  CHECK(sends(matcher.feed("L")) == Sends{"0:\x1b", "0:x\r"});
  CHECK(sends(matcher.feed("E")) == Sends{"60:?"});
}

TEST_CASE("a TX record without an RX record after it gets no answer") {
  ReplayMatcher matcher(session(), false);
  matcher.feed(kWakeUp + "r");
  const std::vector<ReplayAction> out = matcher.feed("g");
  CHECK(out.empty());
  CHECK(matcher.next() == 3);
}

TEST_CASE("a send no TX record starts with: noted, not answered, the same record expected again") {
  ReplayMatcher matcher(session(), false);
  matcher.feed(kWakeUp);
  const std::vector<ReplayAction> out = matcher.feed("XY");
  CHECK(sends(out).empty());
  CHECK(notes(out) ==
        "the tool sent 58 59 |XY| where the TX record of line 6 has 72 |r|: no TX record of the trace starts so; "
        "no answer\n");
  CHECK(matcher.next() == 1);
  CHECK(sends(matcher.feed("r")) == Sends{"35:9,33", "1035:,0\r"});
}

TEST_CASE("a send that a later TX record starts with: the records between are skipped") {
  ReplayMatcher matcher(session(), false);
  matcher.feed(kWakeUp);
  const std::vector<ReplayAction> out = matcher.feed("w");
  CHECK(notes(out) ==
        "the tool sent 77 |w| where the TX record of line 6 has 72 |r|: going on at the TX record of line 10 "
        "(2 TX records and their answers skipped)\n");
  CHECK(sends(out) == Sends{"20:1\r"});
  CHECK(matcher.next() == 4);
}

TEST_CASE("a record that differs part of the way: the resync looks for all the tool sent of it") {
  const std::vector<TraceRecord> trace = {tx(0, "F", 1),     rx(10, "\x1b", 2), tx(20, "3\r", 3),
                                          tx(30, "F", 4),    rx(40, "\x1b", 5), tx(50, "35\r", 6),
                                          rx(60, "ok\r", 7)};
  ReplayMatcher matcher(trace, false);
  CHECK(sends(matcher.feed("F")) == Sends{"10:\x1b"});
  // the tool writes 35 where the trace has 3 and CR: the later value text starts so
  std::vector<ReplayAction> out = matcher.feed("3");
  CHECK(out.empty());
  out = matcher.feed("5\r");
  CHECK(notes(out).rfind("the tool sent 33 35 |35| where the TX record of line 3 has 33 0D |3.|: going on at the "
                         "TX record of line 6 (2 TX records and their answers skipped)\n",
                         0) == 0);
  // "35" goes on as the start of that record, and its CR completes it
  CHECK(sends(out) == Sends{"10:ok\r"});
  CHECK(notes(out).find("the tool sent 0D") == std::string::npos);
  CHECK(matcher.next() == 4);
}

TEST_CASE("after the trace's end a wake-up replays it from its start") {
  ReplayMatcher matcher(session(), true);
  matcher.feed(kWakeUp + "rgwE");
  CHECK(matcher.next() == 5);
  const std::vector<ReplayAction> out = matcher.feed(kWakeUp);
  CHECK(notes(out) == "the tool sent 2A |*| after the trace's last TX record: going on at the TX record of line 4 "
                      "(0 TX records and their answers skipped)\n");
  CHECK(sends(out) == Sends{"115:Corlaxa V2.14\r"});
  CHECK(matcher.next() == 1);
}

TEST_CASE("a long send is shown by its first sixteen bytes and its length") {
  const std::string frame(132, 'A');
  ReplayMatcher matcher({tx(0, "r", 1)}, false);
  CHECK(notes(matcher.feed(frame)).find("41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 41 |AAAAAAAAAAAAAAAA| ... "
                                         "(132 bytes) where the TX record of line 1 has 72 |r|") !=
        std::string::npos);
}

TEST_CASE("the port's rate after a send: the working rate after a wake-up, 9600 after E") {
  CHECK(baudAfterSend("**\x18" "B00") == 38400);
  CHECK(baudAfterSend("**\x18" "B01") == 19200);
  CHECK(baudAfterSend("**\x18" "B02") == 38400);
  CHECK(baudAfterSend("**\x18" "B07") == 0);
  CHECK(baudAfterSend("**\x18" "B1") == 0);
  CHECK(baudAfterSend("E") == 9600);
  CHECK(baudAfterSend("E\r") == 0);
  CHECK(baudAfterSend("r") == 0);
}

TEST_CASE("answers are due their gap after the send, in the trace's order, notes at once") {
  ReplayDevice replay(session(), false);
  CHECK(replay.nextEvent() == -1);
  replay.receive(kWakeUp, 10000);
  CHECK(replay.nextEvent() == 10000);  // the baud switch
  std::vector<Action> due = replay.takeDue(10000);
  REQUIRE(due.size() == 1);
  CHECK(due[0].kind == Action::Kind::SetBaud);
  CHECK(replay.nextEvent() == 10115);
  CHECK(replay.takeDue(10114).empty());
  // the tool asks sooner than it did in the trace: the answer waits for the one before it
  replay.receive("r", 10050);
  due = replay.takeDue(10115);
  REQUIRE(due.size() == 2);
  CHECK(due[0].bytes == "Corlaxa V2.14\r");
  CHECK(due[1].bytes == "9,33");  // 35 ms after the send were due already
  CHECK(replay.nextEvent() == 11085);
  // a mismatch is said at once, ahead of the answers still waiting
  replay.receive("X", 10200);
  CHECK(replay.nextEvent() == 0);
  due = replay.takeDue(10200);
  REQUIRE(due.size() == 1);
  CHECK(due[0].kind == Action::Kind::Note);
  due = replay.takeDue(11085);
  REQUIRE(due.size() == 1);
  CHECK(due[0].bytes == ",0\r");
}
