// The profile store against real files, through the system's private-profile functions.
#include "profiles/profile_store.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "framework/exception.h"
#include "temp_dir.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

void ExpectDefaults(const TIpProfile& p) {
  EXPECT_EQ(p.connection, "本地连接");
  EXPECT_EQ(p.address, "");
  EXPECT_EQ(p.mask, "255.255.255.0");
  EXPECT_EQ(p.gateway, "");
  EXPECT_EQ(p.dns, "");
}

TIpProfile Profile(const char* conn, const char* ip, const char* mask, const char* gw, const char* dns) {
  return TIpProfile{conn, ip, mask, gw, dns};
}

int Count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto pos = text.find(what); pos != std::string::npos; pos = text.find(what, pos + 1)) ++n;
  return n;
}

// Expects the store's write error naming the full path.
template <class F>
void ExpectWriteError(const std::string& path, F&& f) {
  try {
    f();
    ADD_FAILURE() << "no error raised";
  } catch (const EIniFileException& e) {
    EXPECT_EQ(e.Message(), "Unable to write to " + path);
  }
}

}  // namespace

TEST(ProfileStore, MissingFileOrNoSectionsReadsAsEmpty) {
  TTempDir dir;
  TProfileStore missing(dir.File("ip.ini"));
  EXPECT_THAT(missing.List(), IsEmpty());
  ExpectDefaults(missing.Load("家里"));

  WriteBytes(dir.File("bare.ini"), "LJM=x\r\nIP=1.2.3.4\r\n; no section\r\n");
  TProfileStore bare(dir.File("bare.ini"));
  EXPECT_THAT(bare.List(), IsEmpty());
  ExpectDefaults(bare.Load("x"));
}

TEST(ProfileStore, ListsSectionsInFileOrderAndLoadsWithDefaults) {
  TTempDir dir;
  WriteBytes(dir.File("ip.ini"),
             "[公司]\r\nLJM=以太网 2\r\nIP=10.0.0.5\r\n"
             "[Home]\r\nIP =  192.168.1.9  \r\nDNS=\"8.8.8.8\"\r\nOTHER=ignored\r\n"
             "[Lab]\r\n");
  TProfileStore store(dir.File("ip.ini"));
  EXPECT_THAT(store.List(), ElementsAre("公司", "Home", "Lab"));

  TIpProfile office = store.Load("公司");
  EXPECT_EQ(office.connection, "以太网 2");
  EXPECT_EQ(office.address, "10.0.0.5");
  EXPECT_EQ(office.mask, "255.255.255.0");

  // Names match without letter case; values come back trimmed and without their quotes.
  TIpProfile home = store.Load("HOME");
  EXPECT_EQ(home.connection, "本地连接");
  EXPECT_EQ(home.address, "192.168.1.9");
  EXPECT_EQ(home.dns, "8.8.8.8");
  ExpectDefaults(store.Load("Lab"));
}

TEST(ProfileStore, SaveCreatesTheFileWithKeysInOrder) {
  TTempDir dir;
  TProfileStore store(dir.File("ip.ini"));
  store.Save("家里", Profile("本地连接", "192.168.0.5", "255.255.255.0", "192.168.0.1", "192.168.0.1"));
  std::string text = ReadBytes(dir.File("ip.ini"));
  auto at = [&](const char* key) { return text.find(key); };
  ASSERT_NE(at("[家里]"), std::string::npos);
  EXPECT_LT(at("[家里]"), at("LJM=本地连接"));
  EXPECT_LT(at("LJM="), at("IP=192.168.0.5"));
  EXPECT_LT(at("IP="), at("ZWYM=255.255.255.0"));
  EXPECT_LT(at("ZWYM="), at("MRWG=192.168.0.1"));
  EXPECT_LT(at("MRWG="), at("DNS=192.168.0.1"));

  TIpProfile p = store.Load("家里");
  EXPECT_EQ(p.address, "192.168.0.5");
  EXPECT_EQ(p.gateway, "192.168.0.1");
}

TEST(ProfileStore, SavingAnExistingNameOverwritesInPlace) {
  TTempDir dir;
  TProfileStore store(dir.File("ip.ini"));
  store.Save("a", Profile("x", "1.1.1.1", "255.0.0.0", "", ""));
  store.Save("Home", Profile("x", "2.2.2.2", "255.0.0.0", "", ""));
  store.Save("c", Profile("x", "3.3.3.3", "255.0.0.0", "", ""));
  // Same name in other letter case: the stored section takes the values.
  store.Save("HOME", Profile("以太网", "9.9.9.9", "255.255.0.0", "9.9.9.1", "9.9.9.2"));
  store.Save("Home", Profile("以太网", "9.9.9.9", "255.255.0.0", "9.9.9.1", "9.9.9.2"));

  EXPECT_THAT(store.List(), ElementsAre("a", "Home", "c"));
  std::string text = ReadBytes(dir.File("ip.ini"));
  EXPECT_EQ(Count(text, "IP="), 3);
  EXPECT_EQ(Count(text, "2.2.2.2"), 0);
  TIpProfile p = store.Load("home");
  EXPECT_EQ(p.connection, "以太网");
  EXPECT_EQ(p.address, "9.9.9.9");
  EXPECT_EQ(p.dns, "9.9.9.2");
  EXPECT_EQ(store.Load("c").address, "3.3.3.3");
}

TEST(ProfileStore, DeleteRemovesTheWholeSectionOnly) {
  TTempDir dir;
  TProfileStore store(dir.File("ip.ini"));
  store.Save("a", Profile("x", "1.1.1.1", "m", "", ""));
  store.Save("b", Profile("y", "2.2.2.2", "m", "", ""));
  store.Delete("A");
  EXPECT_THAT(store.List(), ElementsAre("b"));
  ExpectDefaults(store.Load("a"));
  std::string before = ReadBytes(dir.File("ip.ini"));
  store.Delete("not there");
  EXPECT_EQ(ReadBytes(dir.File("ip.ini")), before);
  EXPECT_EQ(store.Load("b").address, "2.2.2.2");
}

TEST(ProfileStore, LongValuesAreCutTo2047BytesWithoutHalfCharacters) {
  TTempDir dir;
  std::string ascii(3000, '7');
  std::string chinese;
  for (int i = 0; i < 1500; ++i) chinese += "网";
  WriteBytes(dir.File("ip.ini"), "[p]\r\nIP=" + ascii + "\r\nDNS=x" + chinese + "\r\n");
  TProfileStore store(dir.File("ip.ini"));
  TIpProfile p = store.Load("p");
  EXPECT_EQ(p.address, std::string(2047, '7'));
  // "x" then whole two-byte characters: 1 + 2 * 1023 bytes at most.
  ASSERT_GE(p.dns.size(), 2001u);
  EXPECT_LE(p.dns.size(), 2047u);
  EXPECT_EQ(p.dns.size() % 2, 1u);
  EXPECT_EQ(p.dns.substr(1), chinese.substr(0, p.dns.size() - 1));
}

TEST(ProfileStore, ListsWhatFitsInto16384Bytes) {
  TTempDir dir;
  std::string text, expectedAll[2000];
  for (int i = 0; i < 2000; ++i) {
    char name[32];
    wsprintfA(name, "网络配置-%04d", i);  // 13 bytes and its zero
    expectedAll[i] = name;
    text += "[" + expectedAll[i] + "]\r\nIP=1\r\n";
  }
  WriteBytes(dir.File("ip.ini"), text);
  TProfileStore store(dir.File("ip.ini"));
  std::vector<std::string> names = store.List();
  // 16,384 bytes hold 1,170 names of 14 bytes; the 1,171st would be cut and is left out.
  ASSERT_GE(names.size(), 1100u);
  ASSERT_LE(names.size(), 16384u / 14);
  for (std::size_t i = 0; i < names.size(); ++i) ASSERT_EQ(names[i], expectedAll[i]) << i;
}

TEST(ProfileStore, ReadOnlyFileRaisesWithTheFullPath) {
  TTempDir dir;
  const std::string path = dir.File("ip.ini");
  TProfileStore store(path);
  store.Save("a", Profile("x", "1.1.1.1", "m", "", ""));
  const std::string before = ReadBytes(path);
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));
  HANDLE probe =
      CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    // Wine maps the attribute to the file's mode bits, which do not bind root.
    CloseHandle(probe);
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    GTEST_SKIP() << "the read-only attribute is not enforced for this user";
  }
  ExpectWriteError(path, [&] { store.Save("b", Profile("y", "2.2.2.2", "m", "", "")); });
  ExpectWriteError(path, [&] { store.Delete("a"); });
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReadBytes(path), before);
  EXPECT_THAT(store.List(), ElementsAre("a"));
}

TEST(ProfileStore, UnwritablePathRaisesWithTheFullPath) {
  TTempDir dir;
  // A folder where the file should be: no user, root included, can write it as a file.
  const std::string path = dir.File("ip.ini");
  ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr));
  TProfileStore store(path);
  ExpectWriteError(path, [&] { store.Save("b", Profile("y", "2.2.2.2", "m", "", "")); });
  ExpectWriteError(path, [&] { store.Delete("b"); });
  EXPECT_THAT(store.List(), IsEmpty());
  RemoveDirectoryA(path.c_str());
}

TEST(ProfileStore, LockedFileRaisesWithTheFullPath) {
  TTempDir dir;
  const std::string path = dir.File("ip.ini");
  TProfileStore store(path);
  store.Save("a", Profile("x", "1.1.1.1", "m", "", ""));
  HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  ExpectWriteError(path, [&] { store.Save("a", Profile("y", "2.2.2.2", "m", "", "")); });
  CloseHandle(lock);
  EXPECT_EQ(store.Load("a").address, "1.1.1.1");
}

TEST(ProfileStore, AFailedWriteStopsAtOnceAndKeepsEarlierKeys) {
  TTempDir dir;
  const std::string path = dir.File("ip.ini");
  std::vector<std::string> keysTried;
  TProfileStore store(path, [&](const char* s, const char* k, const char* v, const char* f) {
    keysTried.push_back(k ? k : "");
    if (keysTried.size() == 3) return false;  // the mask write fails
    return WritePrivateProfileStringA(s, k, v, f) != FALSE;
  });
  ExpectWriteError(path, [&] { store.Save("p", Profile("c", "1.2.3.4", "255.0.0.0", "g", "d")); });
  EXPECT_THAT(keysTried, ElementsAre("LJM", "IP", "ZWYM"));
  TIpProfile p = TProfileStore(path).Load("p");
  EXPECT_EQ(p.connection, "c");
  EXPECT_EQ(p.address, "1.2.3.4");
  EXPECT_EQ(p.mask, "255.255.255.0");  // never written: the default
  EXPECT_EQ(ReadBytes(path).find("MRWG"), std::string::npos);
}

TEST(ProfileStore, DefaultPathIsBesideTheExecutable) {
  char exe[MAX_PATH];
  DWORD n = GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string exePath(exe, n);
  std::string dirPart = exePath.substr(0, exePath.find_last_of('\\') + 1);
  EXPECT_EQ(DefaultProfilePath(), dirPart + "ip.ini");
  EXPECT_EQ(TProfileStore().Path(), dirPart + "ip.ini");

  // "乗" is 81 5C in GBK: its second byte is no separator.
  ASSERT_EQ(std::string("乗"), "\x81\x5c");
  EXPECT_EQ(DirectoryOf("C:\\软件\\乗\\netvosk.exe"), "C:\\软件\\乗\\");
  EXPECT_EQ(DirectoryOf("C:\\乗"), "C:\\");
  EXPECT_EQ(DirectoryOf("D:\\工具\\乗netvosk.exe"), "D:\\工具\\");
  EXPECT_EQ(DirectoryOf("netvosk.exe"), "");
}
