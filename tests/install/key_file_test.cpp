#include "install/key_file.h"

#include <gtest/gtest.h>

namespace qm::keyfile {
namespace {

TEST(KeyFile, ParseSetAndFormatKeepOrder) {
  auto groups = Parse("# comment\n[Desktop Entry]\nType=Application\nName = Quellmoor \n\n[Other]\nA=1\n");
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(Get(groups, "Desktop Entry", "Name"), "Quellmoor");
  EXPECT_FALSE(Get(groups, "Desktop Entry", "Missing"));
  Set(groups, "Desktop Entry", "Name", "Tarnwick《Quellmoor》");
  Set(groups, "Other", "B", "2");
  Set(groups, "New", "C", "3");
  EXPECT_EQ(Format(groups),
            "[Desktop Entry]\nType=Application\nName=Tarnwick《Quellmoor》\n\n[Other]\nA=1\nB=2\n\n[New]\nC=3\n");
}

TEST(KeyFile, ValueEscapesRoundTrip) {
  for (const std::string value : {"plain", " leading space", "back\\slash", "two\nlines", "tab\there", "cr\r"}) {
    const std::string escaped = EscapeValue(value);
    EXPECT_EQ(escaped.find('\n'), std::string::npos);
    EXPECT_EQ(UnescapeValue(escaped), value);
    EXPECT_EQ(Get(Parse("[G]\nK=" + escaped + "\n"), "G", "K"), value);
  }
}

TEST(KeyFile, ExecArgumentsQuoteAndSplitBack) {
  const struct {
    std::string argument;
    std::string quoted;
  } cases[] = {
      {"/opt/q/Quellmoor", "/opt/q/Quellmoor"},
      {"-u", "-u"},
      {"1", "1"},
      {"/home/a b/Quellmoor", "\"/home/a b/Quellmoor\""},
      {"/x/$HOME\\`q\"", "\"/x/\\$HOME\\\\\\`q\\\"\""},
      {"100%", "100%%"},
      {"a b%", "\"a b%%\""},
      {"", "\"\""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QuoteExecArgument(c.argument), c.quoted) << c.argument;
    const auto args = SplitExec(QuoteExecArgument(c.argument) + " " + QuoteExecArgument("-u"));
    ASSERT_EQ(args.size(), 2u) << c.argument;
    EXPECT_EQ(args[0], c.argument);
    EXPECT_EQ(args[1], "-u");
  }
  EXPECT_EQ(SplitExec("prog %f %%x"), (std::vector<std::string>{"prog", "%x"}));
}

}  // namespace
}  // namespace qm::keyfile
