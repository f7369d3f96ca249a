// Symbol names as the linker keeps them, to scope and function name.
#include "symbols.h"

#include <gtest/gtest.h>

TEST(SymbolNames, MangledDecoratedAndPlainNamesSplit) {
  struct Case {
    const char *coff, *scope, *name;
  } cases[] = {
      {"__ZN6TForm112Button2ClickEP7TObject", "TForm1", "Button2Click"},
      {"__ZN2nv4FreeEi", "nv", "Free"},
      {"__ZNK2nv4TFoo3BarEv.cold", "nv::TFoo", "Bar"},
      {"__ZNSt6vectorIiSaIiEE9push_backERKi", "std::vector<int, std::allocator<int> >", "push_back"},
      {"__Z3maxIiET_S0_S0_", "", "max<int>"},
      {"__ZN4TFooclEv", "TFoo", "operator()"},
      {"__ZN4TFooltERKS_", "TFoo", "operator<"},
      {"__ZN6TFrame7WndProcEjjl@16", "TFrame", "WndProc"},
      {"_WinMain@16", "", "WinMain"},
      {"_WinMain@16.cold", "", "WinMain"},
      {"__Z16FrameworkWndProcP6HWND__jjl@16.cold", "", "FrameworkWndProc"},
      {"@FastCall@8", "", "FastCall"},
      {"_main", "", "main"},
      {"_helper.part.0", "", "helper"},
  };
  for (const auto& c : cases) {
    std::string scope, name;
    EXPECT_TRUE(SplitSymbolName(c.coff, scope, name)) << c.coff;
    EXPECT_EQ(scope, c.scope) << c.coff;
    EXPECT_EQ(name, c.name) << c.coff;
  }
  std::string scope, name;
  SplitDemangled("nv::Run()::{lambda(int)#1}::operator()(int) const", scope, name);
  EXPECT_EQ(scope + "|" + name, "nv::Run()::{lambda(int)#1}|operator()");
  SplitDemangled("std::map<int, int>::iterator TTable::Find<int>(int const&) const", scope, name);
  EXPECT_EQ(scope + "|" + name, "TTable|Find<int>");
}
