// The form tool as a user runs it: check, tree and format, and the syntax-only mode.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct TRun {
  int Status;
  std::string Output;  // standard output and standard error
};

TRun RunTool(const std::string& args) {
  std::string command = std::string(QORFORM_PATH) + " " + args + " 2>&1";
  TRun run{-1, {}};
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buf[4096];
  std::size_t n;
  while ((n = fread(buf, 1, sizeof buf, pipe)) > 0) run.Output.append(buf, n);
  int status = pclose(pipe);
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

class QorFormToolTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Dir = fs::temp_directory_path() / ("qorform_tool_" + std::to_string(::getpid()));
    fs::create_directories(Dir);
    Write("good.dfm",
          "object DM1: TDataModule\n  Height = 300\n  object Src: TDataSource\n    AutoEdit = False\n  end\nend\n");
    Write("messy.dfm", "object DM1: TDataModule\n   height=300  Width = 0\nobject Src : TDataSource end end");
    Write("bad.dfm", "object DM1: TDataModule\n  Height = 'tall'\nend\n");
    Write("foreign.dfm", "object Form1: TForm1\n  Caption = 'x'\nend\n");
  }
  void TearDown() override { fs::remove_all(Dir); }
  void Write(const std::string& name, const std::string& text) { std::ofstream(Dir / name) << text; }
  std::string Path(const std::string& name) const { return (Dir / name).string(); }

  fs::path Dir;
};

TEST_F(QorFormToolTest, ChecksReportsAndNormalises) {
  TRun check = RunTool("check " + Path("good.dfm") + " " + Path("bad.dfm"));
  EXPECT_EQ(check.Status, 1);
  EXPECT_NE(check.Output.find(Path("good.dfm") + ": ok"), std::string::npos) << check.Output;
  EXPECT_NE(check.Output.find(Path("bad.dfm") + ":2:12: property Height expects an integer"), std::string::npos)
      << check.Output;

  TRun format = RunTool("format " + Path("messy.dfm"));
  EXPECT_EQ(format.Status, 0);
  EXPECT_EQ(format.Output, "object DM1: TDataModule\n  OldCreateOrder = False\n  Height = 300\n  object Src: TDataSource\n  end\nend\n");

  TRun tree = RunTool("tree " + Path("good.dfm"));
  EXPECT_EQ(tree.Status, 0);
  EXPECT_NE(tree.Output.find("    AutoEdit = False\n"), std::string::npos) << tree.Output;
  EXPECT_NE(tree.Output.find("    Enabled = True\n"), std::string::npos) << tree.Output;  // defaults shown too

  // Classes this tool does not know: refused, unless only the syntax is checked.
  EXPECT_EQ(RunTool("check " + Path("foreign.dfm")).Status, 1);
  EXPECT_EQ(RunTool("check --syntax-only " + Path("foreign.dfm")).Status, 0);
  EXPECT_EQ(RunTool("format --syntax-only " + Path("foreign.dfm")).Output,
            "object Form1: TForm1\n  Caption = 'x'\nend\n");
  EXPECT_EQ(RunTool("frobnicate x").Status, 2);
}

#ifdef QORFORM_WITH_UI
// Built with the window layer, the tool knows forms, controls, menus and the example form.
TEST_F(QorFormToolTest, ChecksFormFilesOfForms) {
  std::string example = std::string(QOR_SOURCE_DIR) + "/examples/ExampleForm.dfm";
  TRun check = RunTool("check " + example);
  EXPECT_EQ(check.Status, 0) << check.Output;
  EXPECT_EQ(check.Output, example + ": ok\n");
  Write("form.dfm",
        "object F: TForm\n  Caption = 'Edit'\n  Position = poScreenCenter\n"
        "  object E: TEdit\n    PopupMenu = M\n  end\n"
        "  object M: TPopupMenu\n    object I: TMenuItem\n      Caption = '&Clear'\n      ShortCut = 16460\n    end\n  end\nend\n");
  Write("badform.dfm", "object F: TForm\n  Position = poMiddle\nend\n");
  check = RunTool("check " + Path("form.dfm") + " " + Path("badform.dfm"));
  EXPECT_EQ(check.Status, 1);
  EXPECT_NE(check.Output.find(Path("form.dfm") + ": ok"), std::string::npos) << check.Output;
  EXPECT_NE(check.Output.find(Path("badform.dfm") + ":2:14: property Position expects one of poDesigned"),
            std::string::npos)
      << check.Output;
  TRun tree = RunTool("tree " + Path("form.dfm"));
  EXPECT_EQ(tree.Status, 0) << tree.Output;
  EXPECT_NE(tree.Output.find("      ShortCut = 16460\n"), std::string::npos) << tree.Output;
  // The standard and data-aware controls.
  Write("controls.dfm",
        "object F: TForm\n  object L: TLabel\n    Caption = '&Phone:'\n    FocusControl = P\n  end\n"
        "  object P: TMaskEdit\n    EditMask = '!(999) 000-0000;0;_'\n  end\n"
        "  object S: TDataSource\n  end\n"
        "  object Pages: TPageControl\n    object Sheet: TTabSheet\n      Caption = 'One'\n"
        "      object E: TDBEdit\n        DataSource = S\n        DataField = 'Name'\n      end\n    end\n  end\nend\n");
  check = RunTool("check " + Path("controls.dfm"));
  EXPECT_EQ(check.Status, 0) << check.Output;
}
#endif

}  // namespace
