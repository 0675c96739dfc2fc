// One instance of an application on Linux with the machine's real Java
// runtime: later launches hand their arguments to the first one's handler and
// end; nothing another user owns is used; a first launch that was killed, or a
// peer that misbehaves, does not stand in the way of the next launch.

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/launch_harness.h"

namespace {

/// The user the tests play, running as root: nobody.
constexpr uid_t kOtherUid = 65534;

std::string configuration(const std::string& extra = "") {
  return "vexil.main.class=SingleInstanceApp\nvexil.jvm.path=" VEXIL_E2E_LIBJVM "\n-Djava.class.path=" +
         std::string(VEXIL_E2E_JAVA_CLASSES) +
         "\n-Dinstance.ready=${SELF_HOME}/ready\nvexil.single.instance=true\n"
         "vexil.single.instance.handler=SingleInstanceApp.receive\nvexil.debug.file=${SELF_HOME}/debug.log\n" +
         extra;
}

/// The files in FOLDER whose names end in SUFFIX.
std::vector<std::string> filesEndingIn(const std::string& folder, const std::string& suffix) {
  std::vector<std::string> found;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string name = entry->d_name;
      if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0) {
        found.push_back(folder + "/" + name);
      }
    }
    closedir(dir);
  }
  return found;
}

class SingleInstance : public testing::Test {
 protected:
  // The case directory is too deep for a socket's path: the runtime folder
  // is a short one of its own, as a session's is.
  SingleInstance() {
    char folder[] = "/tmp/vexil-e2e-XXXXXX";
    if (mkdtemp(folder)) m_shortFolder = folder;  // mode 0700
    useRuntimeFolder(m_shortFolder);
  }
  ~SingleInstance() override {
    std::error_code ignored;
    if (!m_shortFolder.empty()) std::filesystem::remove_all(m_shortFolder, ignored);
  }

  /// The launches' $XDG_RUNTIME_DIR, of mode 0700.
  void useRuntimeFolder(const std::string& folder) {
    m_runtimeFolder = folder;
    std::filesystem::create_directories(folder);
    chmod(m_runtimeFolder.c_str(), 0700);
    m_app.setEnvironment("XDG_RUNTIME_DIR", m_runtimeFolder);
  }
  std::string socketFolder() const { return m_runtimeFolder + "/vexil"; }

  /// Starts a launch that becomes the first instance and waits for N hand-overs;
  /// returns once its application runs, with its process id in PID.
  /// Run through a shell that ends with 0 however the launch ends, for a
  /// test that kills it.
  std::future<LaunchResult> startFirst(int handOvers, pid_t* pid = nullptr) {
    unlink(m_app.path("ready").c_str());
    std::future<LaunchResult> first = std::async(std::launch::async, [this, handOvers, pid] {
      if (pid) return m_app.runWrapped({"/bin/sh", "-c", "\"$0\" \"$@\" || true"}, {std::to_string(handOvers)});
      return m_app.run({std::to_string(handOvers)});
    });
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::string ready;
    while ((ready = fileContents(m_app.path("ready"))).empty() && std::chrono::steady_clock::now() < limit) {
      if (first.wait_for(std::chrono::milliseconds(20)) == std::future_status::ready) break;
    }
    EXPECT_FALSE(ready.empty()) << "the first instance never became ready";
    if (pid) *pid = ready.empty() ? 0 : static_cast<pid_t>(std::stol(ready));
    return first;
  }

  LaunchCase m_app;
  std::string m_shortFolder;
  std::string m_runtimeFolder;
};

TEST_F(SingleInstance, TheSecondLaunchsArgumentsAndDirectoryReachTheHandlerExactly) {
  m_app.writeConfiguration(configuration());
  std::future<LaunchResult> first = startFirst(1);
  m_app.makeDirectory("elsewhere");
  m_app.setWorkingDirectory("elsewhere");
  LaunchResult second = m_app.run({"with space", "", "\xC3\xA9t\xC3\xA9 \xE6\x97\xA5\xE6\x9C\xAC", "-x"});
  // Ended at once, without a runtime: the application would have printed "started".
  EXPECT_EQ(second.exitCode, 0) << describe(second);
  EXPECT_EQ(second.out, "") << describe(second);
  EXPECT_EQ(second.err, "") << describe(second);
  LaunchResult result = first.get();
  EXPECT_EQ(result.exitCode, 0) << describe(result);
  EXPECT_EQ(result.out, "started\nreceived count=5\nreceived[0]=" + m_app.path("elsewhere") +
                            "\nreceived[1]=with space\nreceived[2]=\nreceived[3]=\\u00e9t\\u00e9 \\u65e5\\u672c\n"
                            "received[4]=-x\ndone\n")
      << describe(result);
  EXPECT_NE(fileContents(m_app.path("debug.log")).find(message::kLogInstanceHandedOver), std::string::npos);
  // The first one removed its socket when it ended.
  EXPECT_TRUE(filesEndingIn(socketFolder(), ".socket").empty());
}

TEST_F(SingleInstance, ARuntimeFolderTooDeepForASocketPathStillWorks) {
  useRuntimeFolder(m_app.path("run/" + std::string(60, 'd') + "/" + std::string(60, 'e')));
  ASSERT_GT(socketFolder().size(), sizeof(sockaddr_un{}.sun_path));
  m_app.writeConfiguration(configuration());
  std::future<LaunchResult> first = startFirst(1);
  LaunchResult second = m_app.run({"deep"});
  EXPECT_EQ(second.exitCode, 0) << describe(second);
  EXPECT_EQ(second.out, "") << describe(second);
  LaunchResult result = first.get();
  EXPECT_NE(result.out.find("received[1]=deep\n"), std::string::npos) << describe(result);
}

TEST_F(SingleInstance, LaunchesStartedTogetherGiveOneRuntime) {
  m_app.writeConfiguration(configuration());
  const int launches = 4;
  std::vector<std::future<LaunchResult>> runs;
  for (int i = 0; i < launches; ++i) {
    runs.push_back(std::async(std::launch::async, [this] { return m_app.run({std::to_string(launches - 1)}); }));
  }
  int runtimes = 0;
  for (std::future<LaunchResult>& run : runs) {
    LaunchResult result = run.get();
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    if (result.out.find("started") == std::string::npos) {
      EXPECT_EQ(result.out, "") << describe(result);
      continue;
    }
    ++runtimes;
    size_t handOvers = 0;
    for (size_t at = 0; (at = result.out.find("received count=2\n", at)) != std::string::npos; ++at) ++handOvers;
    EXPECT_EQ(handOvers, static_cast<size_t>(launches - 1)) << describe(result);
  }
  EXPECT_EQ(runtimes, 1);
}

TEST_F(SingleInstance, AKilledFirstInstanceDoesNotBlockTheNextLaunch) {
  m_app.writeConfiguration(configuration());
  pid_t pid = 0;
  std::future<LaunchResult> first = startFirst(1, &pid);
  ASSERT_GT(pid, 0);
  ASSERT_EQ(kill(pid, SIGKILL), 0);
  first.get();
  // What it left: its socket, which nobody serves.
  ASSERT_EQ(filesEndingIn(socketFolder(), ".socket").size(), 1U);
  LaunchResult next = m_app.run({"0"});
  EXPECT_EQ(next.exitCode, 0) << describe(next);
  EXPECT_EQ(next.out, "started\ndone\n") << describe(next);
}

/// Runs "python3" listening on the socket at PATH as another user: bound
/// here, listening after the change of user, so the socket's credentials are
/// that user's. Returns its process id once it listens; 0 when it cannot.
pid_t listenAsAnotherUser(const std::string& path) {
  const std::string script =
      "import os,socket,sys,time\n"
      "s=socket.socket(socket.AF_UNIX)\ns.bind(sys.argv[1])\n"
      "os.setresuid(" +
      std::to_string(kOtherUid) + "," + std::to_string(kOtherUid) + "," + std::to_string(kOtherUid) +
      ")\ns.listen(4)\nprint(os.getpid(),flush=True)\ntime.sleep(60)\n";
  const std::string command = "python3 -c '" + script + "' '" + path + "' &";
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return 0;
  long pid = 0;
  if (std::fscanf(pipe, "%ld", &pid) != 1) pid = 0;
  pclose(pipe);
  return static_cast<pid_t>(pid);
}

TEST_F(SingleInstance, NothingOfAnotherUserIsUsed) {
  // We run as root: another user's folder and socket are made by changing
  // their owner, or by a listener that gave up root for another uid.
  ASSERT_EQ(geteuid(), 0U) << "these cases need root to play another user";
  m_app.writeConfiguration(configuration());
  // A launch of our own first, to learn the socket's name from its lock file.
  LaunchResult alone = m_app.run({"0"});
  ASSERT_EQ(alone.out, "started\ndone\n") << describe(alone);
  std::vector<std::string> locks = filesEndingIn(socketFolder(), ".lock");
  ASSERT_EQ(locks.size(), 1U);
  const std::string socketPath = locks[0].substr(0, locks[0].size() - 5) + ".socket";

  const struct {
    const char* name;
    const char* logged;
    std::function<pid_t()> arrange;
  } cases[] = {
      {"folder of another user", message::kLogInstanceFolderNotPrivate,
       [&] { return chown(socketFolder().c_str(), kOtherUid, kOtherUid) == 0 ? 1 : -1; }},
      {"folder others may enter", message::kLogInstanceFolderNotPrivate,
       [&] { return chmod(socketFolder().c_str(), 0755) == 0 ? 1 : -1; }},
      {"socket served by another user", message::kLogInstanceOtherUser,
       [&] { return listenAsAnotherUser(socketPath); }},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    chown(socketFolder().c_str(), 0, 0);
    chmod(socketFolder().c_str(), 0700);
    unlink(m_app.path("debug.log").c_str());
    const pid_t listener = test.arrange();
    ASSERT_NE(listener, -1);
    ASSERT_NE(listener, 0) << "no listener as another user";
    LaunchResult result = m_app.run({"0"});
    if (listener > 1) kill(listener, SIGKILL);
    unlink(socketPath.c_str());
    // Started on its own, and said why.
    EXPECT_EQ(result.exitCode, 0) << describe(result);
    EXPECT_EQ(result.out, "started\ndone\n") << describe(result);
    const std::string log = fileContents(m_app.path("debug.log"));
    EXPECT_NE(log.find(test.logged), std::string::npos) << log;
    EXPECT_NE(log.find(message::kLogInstanceStartsAlone), std::string::npos) << log;
  }
}

/// Connects to the socket at PATH and sends BYTES; waits for the other end to close.
void sendAndWait(const std::string& path, const std::string& bytes) {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  ASSERT_LT(path.size(), sizeof address.sun_path);
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << std::strerror(errno);
  if (!bytes.empty()) send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
  char answer;
  EXPECT_LE(recv(fd, &answer, 1, 0), 0) << "a bad message was accepted";
  close(fd);
}

TEST_F(SingleInstance, PeersThatMisbehaveAreTurnedAwayAndTheNextLaunchStillHandsOver) {
  m_app.writeConfiguration(configuration());
  std::future<LaunchResult> first = startFirst(1);
  std::vector<std::string> sockets = filesEndingIn(socketFolder(), ".socket");
  ASSERT_EQ(sockets.size(), 1U);
  const std::string sized = std::string("\x05\0\0\0", 4);
  const struct {
    const char* name;
    std::string bytes;
    const char* logged;
  } cases[] = {
      {"nothing", "", message::kLogTurnedAwayNoMessage},
      {"garbage", sized + "abcde", message::kLogInstanceMessageMalformed},
      {"a huge length", std::string("\xFF\xFF\xFF\x7F", 4) + "x", message::kLogTurnedAwayTooLong},
      {"cut short", std::string("\x10\0\0\0", 4) + "short", message::kLogTurnedAwayCutShort},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.name);
    sendAndWait(sockets[0], test.bytes);
    EXPECT_NE(fileContents(m_app.path("debug.log")).find(test.logged), std::string::npos);
  }
  LaunchResult second = m_app.run({"after them"});
  EXPECT_EQ(second.exitCode, 0) << describe(second);
  EXPECT_EQ(second.out, "") << describe(second);
  LaunchResult result = first.get();
  EXPECT_NE(result.out.find("received[1]=after them\n"), std::string::npos) << describe(result);
}

}  // namespace
