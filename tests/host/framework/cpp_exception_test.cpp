// Exceptions from outside the framework's family keep their identity on the way to a handler.
#include "framework/cpp_exception.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "framework/guard.h"

namespace {
struct TPlainError {
  int code;
};
class TCustomError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

std::vector<std::string> gSeen;
const Exception* gLastObject = nullptr;
void Record(Exception& e) {
  gLastObject = &e;
  std::string line = e.ClassName() + "|" + e.Message();
  for (const TClassInfo* c = e.ClassParent(); c; c = c->parent) line += std::string("<") + c->name;
  gSeen.push_back(line);
}

class GuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gSeen.clear();
    previous_ = SetExceptionSink(&Record);
  }
  void TearDown() override { SetExceptionSink(previous_); }
  TExceptionSink previous_ = nullptr;
};
}  // namespace

TEST_F(GuardTest, FrameworkExceptionsArriveAsThemselves) {
  const Exception* thrown = nullptr;
  int r = Guard(
      [&]() -> int {
        try {
          throw EConvertError("bad number");
        } catch (EConvertError& e) {
          thrown = &e;
          throw;
        }
      },
      -1);
  EXPECT_EQ(r, -1);
  ASSERT_EQ(gSeen.size(), 1u);
  EXPECT_EQ(gSeen[0], "EConvertError|bad number<Exception<TObject");
  EXPECT_EQ(gLastObject, thrown);
  EXPECT_EQ(Guard([] { return 7; }, -1), 7);
  EXPECT_TRUE(Guard([] {}));
  EXPECT_EQ(gSeen.size(), 1u);
}

TEST_F(GuardTest, StandardExceptionsKeepTheirTypeAndAncestors) {
  EXPECT_FALSE(Guard([] { throw std::out_of_range("index 7"); }));
  EXPECT_FALSE(Guard([] { throw TCustomError("custom"); }));
  EXPECT_FALSE(Guard([] { throw std::bad_alloc(); }));
  ASSERT_EQ(gSeen.size(), 3u);
  EXPECT_EQ(gSeen[0],
            "std::out_of_range|index 7<std::logic_error<std::exception<ECppException<Exception<TObject");
  EXPECT_EQ(gSeen[1],
            "(anonymous namespace)::TCustomError|custom<std::runtime_error<std::exception"
            "<ECppException<Exception<TObject");
  EXPECT_EQ(gSeen[2].substr(0, 15), "std::bad_alloc|");
}

TEST_F(GuardTest, AnyThrownValueIsHandedOnWithTheInFlightObject) {
  static int seenCode = 0;
  SetExceptionSink([](Exception& e) {
    auto* cpp = dynamic_cast<ECppException*>(&e);
    ASSERT_NE(cpp, nullptr);
    EXPECT_EQ(cpp->ClassName(), "(anonymous namespace)::TPlainError");
    EXPECT_EQ(cpp->StdException(), nullptr);
    EXPECT_TRUE(cpp->InheritsFrom("ECppException"));
    EXPECT_TRUE(cpp->InheritsFrom(Exception::StaticClass()));
    try {
      std::rethrow_exception(cpp->Original());
    } catch (TPlainError& p) {
      seenCode = p.code;
    }
  });
  EXPECT_FALSE(Guard([] { throw TPlainError{42}; }));
  EXPECT_EQ(seenCode, 42);
  SetExceptionSink(&Record);
  EXPECT_FALSE(Guard([] { throw 5; }));
  ASSERT_EQ(gSeen.size(), 1u);
  EXPECT_EQ(gSeen[0], "int|C++ exception of type int<ECppException<Exception<TObject");
}

TEST_F(GuardTest, TheStdObjectIsTheThrownOne) {
  static const std::exception* inHandler = nullptr;
  static const std::exception* thrownAt = nullptr;
  SetExceptionSink([](Exception& e) { inHandler = static_cast<ECppException&>(e).StdException(); });
  Guard([] {
    try {
      throw std::length_error("long");
    } catch (std::length_error& e) {
      thrownAt = &e;
      throw;
    }
  });
  EXPECT_NE(thrownAt, nullptr);
  EXPECT_EQ(inHandler, thrownAt);
}

TEST_F(GuardTest, AFailingSinkIsContained) {
  SetExceptionSink([](Exception&) { throw std::runtime_error("sink fails"); });
  EXPECT_FALSE(Guard([] { throw EAbort("stop"); }));
}
