// The zelto-sim program: started by hand with no arguments it serves the demo
// controller to clients, `zelto-sim ctl` lists and changes its state, and it
// ends cleanly on SIGTERM.
#include "TestSupport.h"
#include "vellora.h"

#include <gtest/gtest.h>
#include <json/json.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace {

std::string Program() { return veqtest::BuildDir() + "/bin/zelto-sim"; }

// The program running in the background, its output collected.
class Running {
public:
    Running(const std::vector<std::string>& args, const std::vector<std::pair<std::string, std::string>>& env) {
        int fds[2];
        if (pipe(fds) != 0) throw std::runtime_error("pipe");
        m_pid = fork();
        if (m_pid == 0) {
            dup2(fds[1], 1);
            dup2(fds[1], 2);
            close(fds[0]);
            close(fds[1]);
            for (const auto& kv : env) setenv(kv.first.c_str(), kv.second.c_str(), 1);
            std::vector<char*> argv;
            std::string program = Program();
            argv.push_back(const_cast<char*>(program.c_str()));
            for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        m_out = fds[0];
        fcntl(m_out, F_SETFL, O_NONBLOCK);
    }
    ~Running() {
        if (m_pid > 0) Stop();
        close(m_out);
    }
    // Waits until the output holds text, or the program ended. The wait is long:
    // under a sanitizer on a loaded machine the demo controller takes its time
    // to start, and a wait that succeeds returns at once.
    bool WaitForOutput(const std::string& text, int seconds = 60) {
        return veqtest::WaitFor(
            [&] {
                Drain();
                return m_output.find(text) != std::string::npos;
            },
            std::chrono::seconds(seconds));
    }
    // SIGTERM, then the exit status (-1 when it did not exit by itself).
    int Stop() {
        kill(m_pid, SIGTERM);
        int status = 0;
        bool ended = veqtest::WaitFor([&] { return waitpid(m_pid, &status, WNOHANG) == m_pid; }, std::chrono::seconds(10));
        if (!ended) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
        }
        m_pid = -1;
        Drain();
        return ended && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    const std::string& Output() {
        Drain();
        return m_output;
    }

private:
    void Drain() {
        char buffer[4096];
        ssize_t n;
        while ((n = read(m_out, buffer, sizeof buffer)) > 0) m_output.append(buffer, static_cast<size_t>(n));
    }
    pid_t m_pid = -1;
    int m_out = -1;
    std::string m_output;
};

Json::Value Ctl(int port, const std::vector<std::string>& words, int* status = nullptr,
                const std::string& address = "127.0.0.1") {
    std::vector<std::string> argv = {Program(), "ctl", "--address", address, "--port", std::to_string(port)};
    argv.insert(argv.end(), words.begin(), words.end());
    auto result = veqtest::RunProgram(argv, {}, 20);
    if (status) *status = result.status;
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value v;
    std::string errors;
    reader->parse(result.output.data(), result.output.data() + result.output.size(), &v, &errors);
    return v;
}

TEST(Program, ServesTheDemoControllerAndCtlListsAndChangesIt) {
    int port = veqtest::FreeLoopbackPort();
    Running sim({}, {{"VELLORA_PORT", std::to_string(port)}});
    ASSERT_TRUE(sim.WaitForOutput("ready")) << sim.Output();

    veqtest::ScopedEnv env("VELLORA_PORT", std::to_string(port).c_str());
    VelloraServerHandle* h = nullptr;
    ASSERT_EQ(INIT_connectUTF8("127.0.0.1", "guest", "", "Veqora", "k", "trpc", -1, -1, 1, 1, 0, &h, 0), VELLORA_OK);
    char* version = nullptr;
    ASSERT_EQ(QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &version, 0), VELLORA_OK);
    EXPECT_STREQ(version, "10");
    vellora_free(version);

    Json::Value status = Ctl(port, {"status"});
    EXPECT_TRUE(status["ok"].asBool()) << status;
    EXPECT_EQ(status["connections"].asInt(), 1);
    Json::Value boxes = Ctl(port, {"mailboxes"});
    EXPECT_GE(boxes["mailboxes"].size(), 3u);

    Json::Value added = Ctl(port, {"add-job", "Studio", "name=From ctl", "pages=2", "formats=PDF,TIFF"});
    ASSERT_TRUE(added["ok"].asBool()) << added;
    int id = added["id"].asInt();
    VelloraScanSession session{};
    ASSERT_EQ(SCAN_openSession(h, &session, 0), VELLORA_OK);
    unsigned char present = 0;
    ASSERT_EQ(SCAN_isJobInMailbox(&session, "Studio", "", id, &present, 0), VELLORA_OK);
    EXPECT_EQ(present, 1) << "the client sees what ctl added";

    int code = 0;
    EXPECT_TRUE(Ctl(port, {"delete-job", std::to_string(id)}, &code)["ok"].asBool());
    EXPECT_EQ(code, 0);
    ASSERT_EQ(SCAN_isJobInMailbox(&session, "Studio", "", id, &present, 0), VELLORA_OK);
    EXPECT_EQ(present, 0);
    Ctl(port, {"delete-job", std::to_string(id)}, &code);
    EXPECT_EQ(code, 1) << "a refused command";

    Json::Value calls = Ctl(port, {"calls", "SCAN_isJobInMailbox"});
    ASSERT_EQ(calls["calls"].size(), 2u);
    EXPECT_EQ(calls["calls"][0]["arguments"][0][1].asString(), "Studio");

    EXPECT_TRUE(Ctl(port, {"inject", "QMVM_dictRead", "-3"})["ok"].asBool());
    EXPECT_EQ(QMVM_dictRead(h, "WB3_SYSTEM", "QMVSYSVERNUM", &version, 0), VELLORA_SYSTEM_ERROR);

    EXPECT_EQ(INIT_disconnect(h, 0), VELLORA_OK);

    // drop-connections closes the clients' connections, not the one of ctl
    // that asked, which hears its answer.
    ASSERT_EQ(INIT_connectUTF8("127.0.0.1", "guest", "", "Veqora", "k", "trpc", -1, -1, 1, 1, 0, &h, 0), VELLORA_OK);
    EXPECT_TRUE(Ctl(port, {"drop-connections"}, &code)["ok"].asBool());
    EXPECT_EQ(code, 0);
    EXPECT_TRUE(veqtest::WaitFor([&] { return Ctl(port, {"status"})["connections"].asInt() == 0; },
                                 std::chrono::seconds(10)));
    INIT_disconnect(h, 0);
    EXPECT_EQ(sim.Stop(), 0) << sim.Output();
}

TEST(Program, ServesEveryControllerOfAFixtureOnItsAddress) {
    veqtest::TempDir dir;
    veqtest::WriteFile(dir / "two.json", R"({"controllers": [
        {"name": "Left", "address": "127.0.0.2"},
        {"name": "Right", "address": "127.0.0.3", "product": "Zelto Korvel"}]})");
    int port = veqtest::FreeLoopbackPort("127.0.0.2");
    Running sim({"--fixture", dir / "two.json", "--port", std::to_string(port)}, {});
    ASSERT_TRUE(sim.WaitForOutput("ready")) << sim.Output();
    EXPECT_EQ(Ctl(port, {"status"}, nullptr, "127.0.0.2")["name"].asString(), "Left");
    EXPECT_EQ(Ctl(port, {"status"}, nullptr, "127.0.0.3")["name"].asString(), "Right");
    EXPECT_EQ(sim.Stop(), 0);
}

TEST(Program, BadArgumentsAndFixturesEndWithAnError) {
    veqtest::TempDir dir;
    veqtest::WriteFile(dir / "bad.json", R"({"scanning": {"formats": ["BMP"]}})");
    auto bad = veqtest::RunProgram({Program(), "--fixture", dir / "bad.json", "--port",
                                    std::to_string(veqtest::FreeLoopbackPort())}, {}, 20);
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.output.find("BMP"), std::string::npos) << bad.output;
    EXPECT_EQ(veqtest::RunProgram({Program(), "--bogus"}, {}, 20).status, 2);
    EXPECT_EQ(veqtest::RunProgram({Program(), "--address", "10.0.0.5", "--port", "18999"}, {}, 20).status, 1)
        << "never listens outside loopback";
    auto nobody = veqtest::RunProgram({Program(), "ctl", "--port", std::to_string(veqtest::FreeLoopbackPort()),
                                       "status"}, {}, 20);
    EXPECT_EQ(nobody.status, 2);
    EXPECT_NE(nobody.output.find("no simulator"), std::string::npos);
    auto printed = veqtest::RunProgram({Program(), "--print-demo-fixture"}, {}, 20);
    EXPECT_EQ(printed.status, 0);
    EXPECT_NE(printed.output.find("QMVSYSVERNUM"), std::string::npos);
}

}  // namespace
