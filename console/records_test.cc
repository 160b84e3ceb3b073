// Console records over the in-memory platform: line control, the held-back
// line end in both arrangements, long records, free-form pieces and write
// failures. Every expectation is the whole byte string of the run.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "console/console_testing.h"

namespace console {
namespace {

using testing::FakeRun;
using testing::kInteractive;
using testing::kRedirected;
using testing::same_bytes;

constexpr const char* kCombien = "combien de cases voulez-vous rentrer ou modifier?";
constexpr const char* kDonnez = "donnez i,j et la valeur";
const std::string kRule = "   " + std::string(33, '-');  // the grid rule without its dot

// The worked byte sequences, each run in both arrangements. `out_at_reads`
// holds fd 1 at the moment each read began to wait.
struct Worked {
  const char* name;
  std::function<void(FakeRun&)> body;
  std::string interactive_out;
  std::vector<std::string> interactive_at_reads;
  std::string redirected_out;
  std::vector<std::string> redirected_at_reads;
};

TEST(Records, WorkedByteSequencesInBothArrangements) {
  const std::string c = kCombien;
  const std::string d = kDonnez;
  const std::vector<Worked> cases = {
      {"free-form line with a line end pending",
       [](FakeRun&) {
         write_free_form(kDonnez);
         write_free_form(kCombien);
       },
       d + "\r\n" + c + "\r\n",
       {},
       d + "\r\n" + c + "\r\n",
       {}},
      {"free-form line as the first output",
       [](FakeRun&) { write_free_form(kCombien); },
       c + "\r\n",
       {},
       c + "\r\n",
       {}},
      {"free-form line right after an input line",
       [](FakeRun& r) {
         write_free_form(kDonnez);
         r.read_line();
         write_free_form(kCombien);
       },
       d + "\r\n" + c + "\r\n",
       {d + "\r\n"},
       d + "\r\n" + c + "\r\n",
       {d}},
      {"grid rule with a line end pending",
       [](FakeRun&) {
         write_free_form(kDonnez);
         write_formatted("(/,'.   ---------------------------------',/)");
       },
       d + "\r\n\r\n" + kRule + "\r\n\r\n",
       {},
       d + "\r\n\r\n" + kRule + "\r\n\r\n",
       {}},
      {"grid rule as the first output",
       [](FakeRun&) { write_formatted("(/,'.   ---------------------------------',/)"); },
       "\r\n" + kRule + "\r\n\r\n",
       {},
       "\r\n" + kRule + "\r\n\r\n",
       {}},
      {"(/) with a line end pending",
       [](FakeRun&) {
         write_free_form(kDonnez);
         write_formatted("(/)");
       },
       d + "\r\n\r\n\r\n",
       {},
       d + "\r\n\r\n\r\n",
       {}},
      {"(/) as the first output",
       [](FakeRun&) { write_formatted("(/)"); },
       "\r\n\r\n",
       {},
       "\r\n\r\n",
       {}},
      // The interactive exchange writes each prompt's line end when the read
      // starts and nothing at the end; redirected output writes it in front
      // of the next prompt and at the end of the run.
      {"short exchange at the start of a run",
       [](FakeRun& r) {
         write_free_form(kCombien);
         r.read_line();
         write_free_form(kDonnez);
         r.read_line();
       },
       c + "\r\n" + d + "\r\n",
       {c + "\r\n", c + "\r\n" + d + "\r\n"},
       c + "\r\n" + d + "\r\n",
       {c, c + "\r\n" + d}},
  };
  for (const Worked& w : cases) {
    SCOPED_TRACE(w.name);
    FakeRun interactive(kInteractive);
    interactive.run([&] { w.body(interactive); });
    EXPECT_EQ(interactive.status, 0);
    EXPECT_TRUE(same_bytes(w.interactive_out, interactive.out()));
    EXPECT_EQ(interactive.out_at_reads, w.interactive_at_reads);

    FakeRun redirected(kRedirected);
    redirected.run([&] { w.body(redirected); });
    EXPECT_EQ(redirected.status, 0);
    EXPECT_TRUE(same_bytes(w.redirected_out, redirected.out()));
    EXPECT_EQ(redirected.out_at_reads, w.redirected_at_reads);
  }
}

TEST(Records, LineControlCharacter) {
  struct Case {
    const char* record;
    bool pending;  // a one-character record ".p" -> "p" comes first
    std::string out;
  };
  const Case cases[] = {
      {"+ab", false, "\rab\r\n"},
      {"+ab", true, "p\rab\r\n"},
      {"0ab", false, "\r\nab\r\n"},
      {"0ab", true, "p\r\n\r\nab\r\n"},
      {"1ab", false, "\r\n\f\r \rab\r\n"},
      {"1ab", true, "p\r\n\f\r \rab\r\n"},
      {" ab", false, "ab\r\n"},
      {" ab", true, "p\r\nab\r\n"},
      {".ab", true, "p\r\nab\r\n"},
      {"xab", false, "ab\r\n"},
      {"9ab", true, "p\r\nab\r\n"},
      // A one-character record writes only its line-control bytes; an empty
      // record is one blank.
      {".", false, "\r\n"},
      {".", true, "p\r\n\r\n"},
      {"+", true, "p\r\r\n"},
      {"", false, "\r\n"},
      {"", true, "p\r\n\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << '"' << c.record << "\" pending=" << c.pending);
    FakeRun r(kRedirected);
    r.run([&] {
      if (c.pending) {
        write_record(".p");
      }
      int before = r.platform.writes_to(kStdout);
      write_record(c.record);
      EXPECT_LE(r.platform.writes_to(kStdout) - before, 2);
    });
    EXPECT_TRUE(same_bytes(c.out, r.out()));
  }
}

TEST(Records, LongRecordsGoOutIn132CharacterPieces) {
  // The record buffer holds the control character and 131 characters of
  // text; later pieces are whole buffers of 132 characters.
  struct Case {
    std::size_t length;  // of the record, control character included
    std::vector<std::size_t> text_writes;
  };
  const Case cases[] = {
      {62, {61}},        {132, {131}},      {133, {131, 1}},
      {263, {131, 131}}, {264, {131, 132}}, {265, {131, 132, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    std::string record = ".";
    for (std::size_t k = 1; k < c.length; ++k) {
      record += static_cast<char>('a' + k % 26);
    }
    FakeRun r(kRedirected);
    r.run([&] {
      write_record(".");  // writes nothing, leaves a line end pending
      write_record(record);
    });
    EXPECT_TRUE(same_bytes("\r\n" + record.substr(1) + "\r\n", r.out()));
    // The pending line end, the pieces, the final line end.
    std::vector<std::size_t> sizes;
    for (const FakePlatform::Event& e : r.platform.events) {
      if (e.kind == FakePlatform::Event::write) {
        sizes.push_back(e.bytes.size());
      }
    }
    std::vector<std::size_t> expected = {2};
    expected.insert(expected.end(), c.text_writes.begin(), c.text_writes.end());
    expected.push_back(2);
    EXPECT_EQ(sizes, expected);
  }
}

TEST(Records, FreeFormTextIsCutInto79CharacterPieces) {
  struct Case {
    std::size_t length;
    std::vector<std::size_t> pieces;  // lengths of the records' texts
  };
  const Case cases[] = {
      {0, {0}},      {58, {58}},      {78, {78}},         {79, {79}},
      {80, {79, 1}}, {158, {79, 79}}, {159, {79, 79, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    std::string text;
    for (std::size_t k = 0; k < c.length; ++k) {
      text += static_cast<char>('A' + k % 26);
    }
    std::string expected;
    std::size_t at = 0;
    for (std::size_t piece : c.pieces) {
      expected += (at == 0 ? "" : "\r\n") + text.substr(at, piece);
      at += piece;
    }
    FakeRun r(kRedirected);
    r.run([&] { write_free_form(text); });
    EXPECT_TRUE(same_bytes(expected + "\r\n", r.out()));
  }
}

TEST(Records, WriteFailures) {
  // fd 1 starts failing after the first record. Disk full and access denied
  // end the run at the failing record's text; every other failure is
  // ignored and the run goes on. Line-control bytes and line ends never fail
  // the run, so one-character records never do.
  struct Case {
    const char* name;
    WriteResult failure;
    std::vector<const char*> records;  // written once fd 1 fails
    int32_t status;
    std::string err;
    int writes;  // calls on fd 1, failed ones included
  };
  const Case cases[] = {
      // "abc", the line end and text of ".def", the final line end.
      {"disk full",
       WriteResult::disk_full,
       {".def", ".ghi"},
       1,
       testing::report("6422", "WRITE", error_message(6422)),
       4},
      {"access denied",
       WriteResult::access_denied,
       {".def", ".ghi"},
       1,
       testing::report("6421", "WRITE", error_message(6421)),
       4},
      {"other failure", WriteResult::failed, {".def", ".ghi"}, 0, "", 6},
      {"disk full, one-character records", WriteResult::disk_full, {".", "+"}, 0, "", 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeRun r(kRedirected);
    r.run([&] {
      write_record(".abc");
      r.platform.stdout_failure = c.failure;
      for (const char* record : c.records) {
        write_record(record);
      }
    });
    EXPECT_EQ(r.status, c.status);
    EXPECT_TRUE(same_bytes("abc", r.out()));
    EXPECT_TRUE(same_bytes(c.err, r.err()));
    EXPECT_EQ(r.platform.writes_to(kStdout), c.writes);
  }
}

}  // namespace
}  // namespace console
