// The book of who keeps the session awake through org.freedesktop.ScreenSaver.
#include "platform/linux/linux_inhibitors.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(InhibitorBook, CookiesAreDistinctAndNeverZero) {
  plat::InhibitorBook book;
  std::set<std::uint32_t> cookies;
  for (int i = 0; i < 50; ++i) cookies.insert(book.Add(":1." + std::to_string(i % 5)));
  EXPECT_EQ(cookies.size(), 50u);
  EXPECT_EQ(cookies.count(0), 0u);
  EXPECT_EQ(book.Size(), 50u);
}

TEST(InhibitorBook, UnInhibitFreesOneCookieAndAnUnknownOneNothing) {
  plat::InhibitorBook book;
  std::uint32_t first = book.Add(":1.7"), second = book.Add(":1.7");
  EXPECT_FALSE(book.Remove(12345));
  EXPECT_FALSE(book.Remove(0));
  EXPECT_EQ(book.Size(), 2u);
  std::string holder;
  EXPECT_TRUE(book.Remove(first, &holder));
  EXPECT_EQ(holder, ":1.7");
  EXPECT_FALSE(book.Remove(first)) << "a cookie is given back once";
  EXPECT_TRUE(book.Holds(":1.7")) << "the client's other inhibit stands";
  EXPECT_FALSE(book.Empty());
  EXPECT_TRUE(book.Remove(second));
  EXPECT_TRUE(book.Empty());
  EXPECT_FALSE(book.Holds(":1.7"));
}

TEST(InhibitorBook, AClientThatLeavesTakesAllItsInhibitsAndOnlyThose) {
  plat::InhibitorBook book;
  book.Add(":1.4");
  std::uint32_t kept = book.Add(":1.9");
  book.Add(":1.4");
  std::uint32_t longer = book.Add(":1.40");
  book.Add(":1.4");
  EXPECT_EQ(book.DropClient(":1.4"), 3u);
  EXPECT_EQ(book.DropClient(":1.4"), 0u);
  EXPECT_EQ(book.Size(), 2u);
  EXPECT_TRUE(book.Holds(":1.40")) << "names match whole";
  EXPECT_TRUE(book.Holds(":1.9"));
  EXPECT_TRUE(book.Remove(kept));
  EXPECT_TRUE(book.Remove(longer));
}

TEST(InhibitorBook, TheCounterWrapsPastZero) {
  plat::InhibitorBook book(0xFFFFFFFE);
  std::uint32_t a = book.Add(":1.1"), b = book.Add(":1.1"), c = book.Add(":1.1");
  EXPECT_EQ(a, 0xFFFFFFFEu);
  EXPECT_EQ(b, 0xFFFFFFFFu);
  EXPECT_EQ(c, 1u) << "0 is no cookie";
}

TEST(InhibitorBook, AClientGoneWrongCannotGrowTheBookWithoutEnd) {
  plat::InhibitorBook book;
  for (std::size_t i = 0; i < plat::InhibitorBook::MAX_PER_CLIENT; ++i) ASSERT_NE(book.Add(":1.3"), 0u);
  EXPECT_EQ(book.Add(":1.3"), 0u);
  EXPECT_NE(book.Add(":1.8"), 0u) << "others still may";
  EXPECT_EQ(book.Size(), plat::InhibitorBook::MAX_PER_CLIENT + 1);
}

}  // namespace
