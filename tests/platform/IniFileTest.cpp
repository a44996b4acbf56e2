// TIniFile: Windows profile files, edited in place byte for byte.
#include <sys/stat.h>

#include <filesystem>

#include <gtest/gtest.h>

#include "rtl/IniFiles.h"
#include "tests/support/TempDrive.h"

using testing_support::TempDrive;
using vcl::TIniFile;

TEST(IniFile, WriteKeepsEveryOtherByte) {
  TempDrive drive;
  // LF line ends, comments, blank lines, blanks around '=' and a last line without an end.
  drive.WriteFile("q.ini",
                  "; queue\n"
                  "[FILES]\n"
                  "a.exe=\n"
                  "\n"
                  "[a.exe]\n"
                  "  CDir = C:\\KORA  \n"
                  "Execute=1\n"
                  "; trailing comment\n"
                  "\n"
                  "[Other]\n"
                  "x=1");
  TIniFile ini("C:\\Q.INI");
  ini.WriteString("a.EXE", "cdir", "D:\\NEW");   // existing key, other case
  ini.WriteInteger("A.exe", "Params", 7);        // new key in an existing section
  ini.WriteString("files", "b.dll", "");         // new key where the section ends with a blank line
  ini.WriteString("other", "y", "2");            // the last line had no line end
  ini.WriteString("New", "k", "v");              // new section
  EXPECT_EQ(drive.ReadFile("q.ini"),
            "; queue\n"
            "[FILES]\n"
            "a.exe=\n"
            "b.dll=\r\n"
            "\n"
            "[a.exe]\n"
            "CDir=D:\\NEW\n"
            "Execute=1\n"
            "; trailing comment\n"
            "Params=7\r\n"
            "\n"
            "[Other]\n"
            "x=1\r\n"
            "y=2\r\n"
            "[New]\r\n"
            "k=v\r\n");
}

TEST(IniFile, NewFileAndDeletions) {
  TempDrive drive;
  TIniFile ini("C:\\KORA\\Update\\MirsalUpdate.ini");
  drive.WriteFile("KORA/Update/.keep", "");
  ini.WriteString("FILES", "x.exe", "");
  ini.WriteString("x.exe", "SDir", "<none>");
  ini.WriteBool("x.exe", "On", true);
  EXPECT_EQ(drive.ReadFile("KORA/Update/MirsalUpdate.ini"), "[FILES]\r\nx.exe=\r\n[x.exe]\r\nSDir=<none>\r\nOn=1\r\n");
  vcl::TStringList list;
  ini.ReadSections(&list);
  EXPECT_EQ(list.Text(), "FILES\r\nx.exe\r\n");
  ini.ReadSectionValues("X.EXE", &list);
  EXPECT_EQ(list.Text(), "SDir=<none>\r\nOn=1\r\n");
  ini.DeleteKey("x.exe", "sdir");
  ini.ReadSection("x.exe", &list);
  EXPECT_EQ(list.Text(), "On\r\n");
  EXPECT_TRUE(ini.ValueExists("X.exe", "ON"));
  ini.EraseSection("files");
  EXPECT_FALSE(ini.SectionExists("FILES"));
  EXPECT_EQ(drive.ReadFile("KORA/Update/MirsalUpdate.ini"), "[x.exe]\r\nOn=1\r\n");
  // Nothing but the file itself is left beside it.
  int entries = 0;
  for (const auto& e : std::filesystem::directory_iterator(drive.Host("KORA/Update"))) entries += e.path().filename() != ".keep";
  EXPECT_EQ(entries, 1);
}

TEST(IniFile, ReadsValuesAsWindowsDoes) {
  TempDrive drive;
  drive.WriteFile("FILES.ini",
                  "Count=99\r\n"  // before any section: ignored
                  "[ExeFiles]\r\n"
                  "Count = 0x1F \r\n"
                  "Dollar=$1F\r\n"
                  "Dec=-12\r\n"
                  "Junk=12abc\r\n"
                  "Empty=\r\n"
                  "Enabled=0\r\n"
                  "Quoted=\"  spaced  \"\r\n"
                  "\xCA\xEB\xFE\xF7=\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5\r\n"  // "Ключ=Значение"
                  ";Commented=5\r\n"
                  "[\xD0\xE0\xE7\xE4\xE5\xEB]\r\n"  // "[Раздел]"
                  "k=v\r\n");
  TIniFile ini("C:\\files.INI");
  const struct { const char* key; int32_t value; } ints[] = {
      {"count", 31}, {"Dollar", 31}, {"Dec", -12}, {"Junk", -1}, {"Empty", -1}, {"Missing", -1}, {"Commented", -1}};
  for (const auto& c : ints) EXPECT_EQ(ini.ReadInteger("EXEFILES", c.key, -1), c.value) << c.key;
  EXPECT_FALSE(ini.ReadBool("ExeFiles", "Enabled", true));
  EXPECT_TRUE(ini.ReadBool("ExeFiles", "Count", false));
  EXPECT_TRUE(ini.ReadBool("ExeFiles", "Junk", true));
  EXPECT_EQ(ini.ReadString("ExeFiles", "Quoted", ""), "  spaced  ");
  EXPECT_EQ(ini.ReadString("ExeFiles", "\xEA\xCB\xDE\xD7", ""), "\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5");  // "кЛЮЧ"
  EXPECT_EQ(ini.ReadString("\xF0\xE0\xE7\xE4\xE5\xEB", "K", ""), "v");
  EXPECT_EQ(ini.ReadString("ExeFiles", "File0", "<none>"), "<none>");
  EXPECT_EQ(TIniFile("C:\\absent.ini").ReadInteger("ExeFiles", "Count", 0), 0);
}

TEST(IniFile, WritesReplaceTheFileKeepingItsPermissions) {
  TempDrive drive;
  drive.WriteFile("p.ini", "[S]\r\nk=1\r\n");
  chmod(drive.Host("p.ini").c_str(), 0640);
  TIniFile("C:\\p.ini").WriteString("S", "k", "2");
  struct stat st;
  ASSERT_EQ(stat(drive.Host("p.ini").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(drive.ReadFile("p.ini"), "[S]\r\nk=2\r\n");

  chmod(drive.Host("p.ini").c_str(), 0444);  // read-only: refused, even for root
  EXPECT_THROW(TIniFile("C:\\p.ini").WriteString("S", "k", "3"), vcl::Exception);
  EXPECT_EQ(drive.ReadFile("p.ini"), "[S]\r\nk=2\r\n");

  try {
    TIniFile("C:\\NoSuchDir\\q.ini").WriteString("S", "k", "v");
    ADD_FAILURE() << "no exception";
  } catch (const vcl::Exception& e) {
    EXPECT_NE(e.Message().find("C:\\NoSuchDir\\q.ini"), std::string::npos) << e.Message();
  }
}
