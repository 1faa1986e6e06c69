// stats adds a page whole or not at all: a page that runs out of memory while it is added
// leaves the figures as they were, so it can be counted as refused instead.
#include <gtest/gtest.h>

#include <memory>
#include <new>
#include <string>

#include "cli/pages/CorpusStats.h"
#include "support/CountingNew.h"
#include "support/PageLines.h"

namespace {

CliPage PageWithLabel(const std::string& label) {
  CliPage page;
  page.body->lineCount = 1;
  page.body->lines[0] = ModelLine(0, 0, 3, 2, {}, label);
  return page;
}

TEST(StatsAllocation, PageThatRunsOutOfMemoryAddsNothing) {
  const auto stats = std::make_unique<CorpusStats>();
  const CliPage first = PageWithLabel("ab");
  stats->AddPage(first, CountPageCharacters(first, "UTF-8"));
  const std::string before = stats->Json();

  std::string many;  // more new characters than the character table has room for
  for (char c = '0'; c <= 'z'; ++c) many += c;
  const CliPage second = PageWithLabel(many);
  PageCharacters characters = CountPageCharacters(second, "UTF-8");
  FailNewAbove(64);
  EXPECT_THROW(stats->AddPage(second, std::move(characters)), std::bad_alloc);
  FailNewAbove(-1);
  EXPECT_EQ(stats->Json(), before);
}

}  // namespace
