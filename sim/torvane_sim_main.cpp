// torvane-sim: one simulated switcher served on loopback TCP, UDP and a
// pseudo-terminal, so the program can be tried and tested without hardware.

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "platform/poll_loop.h"
#include "sim/front_panel_command.h"
#include "sim/in_process_links.h"
#include "sim/posix_fd.h"
#include "sim/posix_front_panel.h"
#include "sim/posix_panel_actions.h"
#include "sim/posix_pty_port.h"
#include "sim/posix_tcp_server.h"
#include "sim/posix_udp_responder.h"
#include "sim/sim_options.h"
#include "sim/switcher_model.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(signalPipe[1], &byte, 1);
}

int Fail(const std::string& message) {
    std::cerr << "torvane-sim: " << message << "\n";
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace torvane;
    using namespace torvane::sim;

    SimOptions options;
    std::string error;
    if (!ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc), &options, &error)) {
        std::cerr << "torvane-sim: " << error << "\nTry torvane-sim --help\n";
        return 2;
    }
    if (options.help) {
        std::cout << SimUsage();
        return 0;
    }

    ::signal(SIGPIPE, SIG_IGN);
    if (::pipe(signalPipe) != 0) return Fail("cannot make the signal pipe");
    UniqueFd signalRead(signalPipe[0]);
    UniqueFd signalWrite(signalPipe[1]);
    struct sigaction action {};
    action.sa_handler = OnSignal;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);

    PollLoop loop;
    loop.WatchFd(signalRead.Get(), EventLoop::kReadable, [&loop](unsigned) { loop.Quit(0); });

    SwitcherModel model(loop);
    model.State() = options.state;
    model.Timing() = options.timing;
    model.Faults() = options.faults;

    PosixTcpServer tcp(loop, model);
    const std::string ip = FormatIpv4(model.State().network.ip);
    if (!tcp.Listen(ip, options.tcpPort, &error)) return Fail(error);
    model.State().network.controlPort = tcp.Port();

    PosixPtyPort pty(loop, model);
    if (!pty.Open(options.linkPath, &error)) return Fail(error);
    pty.SetOnReplaced([](const std::string& path) { std::cout << "serial " << path << std::endl; });

    // A configuration that gives the switcher a new loopback address moves
    // its control port there, as the real network module would.
    auto followAddress = [&] {
        const std::string now = FormatIpv4(model.State().network.ip);
        std::string moveError;
        if (model.State().network.ip[0] == 127 && now != FormatIpv4(options.state.network.ip) &&
            tcp.Listen(now, tcp.Port(), &moveError)) {
            options.state.network.ip = model.State().network.ip;
            std::cout << "tcp " << now << ":" << tcp.Port() << std::endl;
        }
    };
    PosixUdpResponder discovery(loop, model,
                                [&](const auto& d) { return model.AnswerDiscovery(d); });
    PosixUdpResponder configuration(
        loop, model, [&](const auto& d) { return model.AnswerConfiguration(d); }, followAddress);
    if (options.udp && (!discovery.Open(options.discoveryPort, &error) ||
                        !configuration.Open(options.configPort, &error)))
        return Fail(error);

    std::cout << "tcp " << ip << ":" << tcp.Port() << "\n";
    std::cout << "serial " << pty.SlavePath() << "\n";
    if (!options.linkPath.empty()) std::cout << "link " << options.linkPath << "\n";
    if (options.udp)
        std::cout << "udp discovery " << discovery.Port() << " configuration "
                  << configuration.Port() << "\n";
    // The front panel: changes made at the switcher itself, and the switcher
    // dropping off its TCP port and serial line for a while.
    PosixPanelActions actions(
        loop, model, tcp, pty,
        {[](const std::string& serialPath) {
             std::cout << "serial " << serialPath << "\npanel back" << std::endl;
         },
         [](const std::string& why) {
             std::cerr << "torvane-sim: front panel: " << why << "; trying again" << std::endl;
         }});
    auto onPanelCommand = [&](const FrontPanelCommand& command) {
        actions.Apply(command);
        std::cout << "panel " << DescribeFrontPanelCommand(command) << std::endl;
    };
    PosixFrontPanel panel(loop, STDIN_FILENO, onPanelCommand, [](const std::string& message) {
        std::cerr << "torvane-sim: front panel: " << message << std::endl;
    });
    if (options.frontPanel) panel.Start();

    std::cout << "ready" << std::endl;

    return loop.Run();
}
