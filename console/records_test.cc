#include <gtest/gtest.h>

#include "console/fake_platform.h"
#include "tests/support/child.h"

namespace console {
namespace {

TEST(Records, FirstRecordHasNoLineEndInFront) {
  FakePlatform p;
  int32_t status = run_fake(p, [] {
    write_free_form("combien de cases voulez-vous rentrer ou modifier?");
    write_free_form("donnez i,j et la valeur");
  });
  EXPECT_EQ(status, 0);
  EXPECT_EQ(p.out, "combien de cases voulez-vous rentrer ou modifier?\r\ndonnez i,j et la valeur\r\n");
}

TEST(Records, ProbeWritesToAPipe) {
  testing_support::Child c;
  c.argv = {CONSOLE_PROBE, "free=abc", "record=.xy"};
  c.out = testing_support::Output::pipe;
  testing_support::Result r = testing_support::run_child(c);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "abc\r\nxy\r\n");
  EXPECT_EQ(r.err, "");
}

}  // namespace
}  // namespace console
