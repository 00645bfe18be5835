// The window as installed: `cmake --install` into a scratch prefix, then the
// installed program run as a process on Qt's offscreen platform with
// `clean ARCHIVE`, which reads the configuration, unpacks the archive, cleans
// the project that the configured new path names and closes. Whether the
// program may write into its bin/ decides where both go.
//
// Root may write into any folder. Run as root, the test therefore starts the
// program as the user "nobody", for whom a folder of root's is read-only,
// and hands it the folders it must write.

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "tests/support/param_label.h"
#include "tests/support/temp_dir.h"

extern char** environ;

namespace kelvandor {
namespace {

namespace fs = std::filesystem;
using testing::ListTree;
using testing::MakeDirs;
using testing::ReadFile;
using testing::TempDir;
using testing::WriteFile;
using Tree = std::vector<std::string>;

constexpr uid_t kNobody = 65534;
constexpr int kTimeoutSeconds = 30;

struct Outcome {
  int status = -1;  // the exit status; -1 after a signal or the time-out
  std::string output;
};

// Runs `argv` with `env`, standard input from /dev/null and both output
// streams into `log`; as `user` when that is not -1. A program that shows a
// message box waits forever on the offscreen platform: it is killed after
// the time-out.
Outcome RunProgram(std::vector<std::string> argv, std::vector<std::string> env,
                   const std::string& log, uid_t user = static_cast<uid_t>(-1)) {
  std::vector<char*> args;
  for (std::string& a : argv) args.push_back(a.data());
  args.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  const pid_t pid = fork();
  if (pid == 0) {
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int in = open("/dev/null", O_RDONLY);
    if (out < 0 || in < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(out, 2) < 0) _exit(125);
    if (user != static_cast<uid_t>(-1) &&
        (setgroups(0, nullptr) != 0 || setgid(user) != 0 || setuid(user) != 0)) {
      _exit(126);
    }
    execve(args[0], args.data(), envp.data());
    _exit(127);
  }
  Outcome outcome;
  if (pid < 0) return outcome;
  int wait_status = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(kTimeoutSeconds);
  while (waitpid(pid, &wait_status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &wait_status, 0);
      ADD_FAILURE() << argv[0] << " did not end within " << kTimeoutSeconds << " s";
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  if (WIFEXITED(wait_status)) outcome.status = WEXITSTATUS(wait_status);
  outcome.output = ReadFile(log);
  return outcome;
}

// The environment without the variables that name the user's folders.
std::vector<std::string> EnvironmentWithoutUserFolders() {
  std::vector<std::string> env;
  for (char** e = environ; *e != nullptr; ++e) {
    const std::string_view entry(*e);
    if (!entry.starts_with("HOME=") && !entry.starts_with("TMPDIR=") &&
        !entry.starts_with("XDG_") && !entry.starts_with("QT_QPA_PLATFORM=")) {
      env.emplace_back(entry);
    }
  }
  return env;
}

void ChownTree(const std::string& path, uid_t user) {
  ASSERT_EQ(lchown(path.c_str(), user, user), 0) << path;
  if (!fs::is_directory(fs::symlink_status(path))) return;
  for (const fs::directory_entry& entry : fs::recursive_directory_iterator(path)) {
    ASSERT_EQ(lchown(entry.path().c_str(), user, user), 0) << entry.path();
  }
}

struct InstallCase {
  const char* label;
  bool bin_writable;
};

using testing::PrintTo;

class InstalledWindowTest : public ::testing::TestWithParam<InstallCase> {
 protected:
  void SetUp() override {
    fs::permissions(tmp_.path(), fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
    const Outcome install =
        RunProgram({KELVANDOR_CMAKE, "--install", KELVANDOR_BUILD_DIR, "--prefix", tmp_ / "prefix"},
                   EnvironmentWithoutUserFolders(), tmp_ / "install.log");
    ASSERT_EQ(install.status, 0) << install.output;
    // The project each configuration names, with its build output.
    for (const char* where : {"beside", "user"}) {
      MakeDirs(tmp_ / where);
      ASSERT_TRUE(
          CopyTree(std::string(KELVANDOR_EXAMPLES_DIR) + "/blinky", tmp_ / where + "/blinky"));
    }
    WriteFile(bin_ + "/Kelvandor.ini", "NewPath=" + tmp_ / "beside/" + "\r\n");
    WriteFile(home_ + "/.config/kelvandor/Kelvandor.ini", "NewPath=" + tmp_ / "user/" + "\r\n");
    WriteFile(tmp_ / "demo.zip", ReadFile(KELVANDOR_DEMO_ARCHIVE));
    MakeDirs(tmp_dir_);
    MakeDirs(runtime_dir_);
    fs::permissions(runtime_dir_, fs::perms::owner_all);
  }

  TempDir tmp_;
  std::string bin_ = tmp_ / "prefix/bin";
  std::string home_ = tmp_ / "home";
  std::string tmp_dir_ = tmp_ / "tmp";
  std::string runtime_dir_ = tmp_ / "runtime";
};

TEST_P(InstalledWindowTest, ConfigurationAndArchivesGoWhereTheProgramMayWrite) {
  const bool writable = GetParam().bin_writable;
  uid_t user = static_cast<uid_t>(-1);
  if (geteuid() == 0) {
    user = kNobody;
    for (const std::string& path :
         {tmp_ / "beside", tmp_ / "user", home_, tmp_dir_, runtime_dir_}) {
      ChownTree(path, user);
    }
    if (writable) ChownTree(bin_, user);
  } else if (!writable) {
    fs::permissions(bin_, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
  }
  const Tree bin_before = ListTree(bin_);

  std::vector<std::string> env = EnvironmentWithoutUserFolders();
  env.push_back("HOME=" + home_);
  env.push_back("TMPDIR=" + tmp_dir_);
  env.push_back("XDG_RUNTIME_DIR=" + runtime_dir_);
  env.push_back("QT_QPA_PLATFORM=offscreen");
  const Outcome run =
      RunProgram({bin_ + "/kelvandor", "clean", tmp_ / "demo.zip"}, env, tmp_ / "run.log", user);
  if (run.status == 126) GTEST_SKIP() << "cannot run as the user nobody";
  ASSERT_EQ(run.status, 0) << run.output;

  // The configuration read is the one of the row; only its project was cleaned.
  const std::string used = writable ? "beside" : "user";
  const std::string unused = writable ? "user" : "beside";
  EXPECT_FALSE(FileExists(tmp_ / (used + "/blinky/OBJ/main.obj")));
  EXPECT_TRUE(FileExists(tmp_ / (unused + "/blinky/OBJ/main.obj")));
  // The archive's folder is gone: "___temp___" beside a writable program,
  // the private folder below TMPDIR otherwise.
  EXPECT_EQ(ListTree(bin_), bin_before);
  EXPECT_EQ(ListTree(tmp_dir_), Tree{});
  EXPECT_EQ(ListTree(home_),
            (Tree{".config/", ".config/kelvandor/", ".config/kelvandor/Kelvandor.ini"}));
}

INSTANTIATE_TEST_SUITE_P(ProgramFolder, InstalledWindowTest,
                         ::testing::Values(InstallCase{"Writable", true},
                                           InstallCase{"ReadOnly", false}),
                         testing::ParamLabel());

}  // namespace
}  // namespace kelvandor
