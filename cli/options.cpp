#include "cli/options.h"

#include "cli/arguments.h"

namespace torvane::cli {

const char* UsageText() {
    return R"(Usage: torvanectl [--serial PATH | --tcp HOST[:PORT]] [--json] [--trace] COMMAND [ARGS]

Drives an 8x8 HDMI matrix switcher the way the Torvane window does: each
command runs the operator's action, with the same frames, retries and
time-outs.

Commands:
  ports                   serial ports present and free
  status                  power, beep, connection state of IN1-IN8 and OUTA-OUTH
  power on|off            switch the switcher on or off (power off is confirmed for you)
  beep on|off             enable or disable the beep
  reboot                  reboot the switcher
  factory-reset --yes     reset the switcher to its factory settings
  matrix                  the input each output (A-H) shows, and its ARC state
  route INPUT OUTPUT      show INPUT (1-8 or its name) on OUTPUT (A-H, 1-8 or
                          its name)
  arc OUTPUT on|off       switch the audio return channel of OUTPUT (A-H, 1-8 or
                          its name)
  names                   the names of the inputs and outputs
  name input|output PORT NAME
                          name an input or output (at most 32 characters);
                          --clear instead of NAME takes the name away
  preset list|show NAME|delete NAME|rename OLD NEW
                          the presets: routings of some or all outputs, with
                          their ARC state, kept under a name
  preset save NAME [--outputs A,B,...]
                          save the routing and ARC state the switcher
                          confirms, of all outputs or those listed
  preset apply NAME [--dry-run]
                          send what differs, one confirmed command at a time;
                          each output's result (changed, already so, failed
                          and why); --dry-run sends nothing
  preset export FILE|import FILE
                          copy presets to or from a file (another switcher's)
  edid preset N INPUT     give INPUT (1-8 or all) EDID preset N (1-15, in the
                          EDID page's order: 1 is 1080p,Stereo Audio 2.0)
  edid copy OUTPUT INPUT  copy the EDID of the display on OUTPUT (A-H or 1-8)
  edid file PATH INPUT    write the EDID file PATH (128 or 256 bytes; "-" reads
                          it from standard input)
  edid check PATH         what the EDID file PATH says (maker, name, preferred
                          mode, extension blocks) and whether it can be
                          written; opens no link
  edid list               the EDID each input presents
  upgrade FILE            send the firmware image FILE (at most 100,000 bytes;
                          serial only) and wait for the switcher's restart
  info                    the switcher's device line and device text
  text set TEXT           write the device text (at most 32 characters)
  discover [NET] [--wait MS]
                          list the switchers that answer a Search within MS
                          milliseconds (default 2000); opens no link
  netconfig [NET] [--wait MS] --mac MAC ADDRESS [--new-mac MAC]
                          give the switcher with MAC new network settings, as
                          the Config... dialog does; opens no link; ADDRESS is
                          --auto, or --ip A --netmask M --gateway G
  watch [--interval S]    print the state, then a line for every change of it
                          (made by this program or elsewhere) and of the
                          connection; reads the state again every S seconds
                          (default 5), reconnects by itself; Ctrl-C or SIGTERM
                          ends it with status 0

Network options (NET) of discover and netconfig:
  --bind ADDR             local address of the UDP socket (default 0.0.0.0)
  --broadcast ADDR        where requests go (default 255.255.255.255)
  --discovery-port N      default 30600
  --config-port N         default 30601

Names and presets are kept for each switcher in
$XDG_CONFIG_HOME/torvane (~/.config/torvane): by the serial port's stable
name (its /dev/serial/by-id link where one leads to it), or over TCP by the
MAC the switcher's network module gives when asked on its discovery port;
names, name, preset, route and arc take --discovery-port N and --bind ADDR
for that question.

Numbers may have leading zeros, on and off and output letters any case; "--"
ends the options (edid file -- -name.bin 1).

Options:
  --serial PATH           use the serial port PATH (such as /dev/ttyUSB0)
  --tcp HOST[:PORT]       use the switcher's network module (default 127.0.0.1:8000)
  --json                  print one JSON object on standard output, also for
                          failures ({"ok":false,"error":"..."}, the error on
                          standard error too); a command that changes the
                          switcher's state gives the state it confirmed, and
                          warnings (such as "Power off!" on connecting) are
                          listed in "warnings"
  --trace                 write every unit sent ("> ") and every frame received
                          ("< ") to standard error
  --help                  show this text
  --version               show the version

Exit status:
  0  done
  1  the switcher timed out, refused or reported a failure (the error is the
     message the window would show, such as "Time out!"), or the serial ports
     could not be listed
  2  a usage error or a bad input file
  3  the link could not be opened ("Open COM failed!" or "Connect to Matrix
     failed!", with the system's reason) or failed during the command, or
     discover's and netconfig's socket could not be bound or used
)";
}

bool ParseHostPort(const std::string& text, std::string& host, std::uint16_t& port) {
    // No host name is longer than 253 characters; a longer one is a mistake
    // to report here, not a name to look up.
    auto valid = [](const std::string& name) { return !name.empty() && name.size() <= 253; };
    const auto colon = text.rfind(':');
    if (colon == std::string::npos) {
        host = text;
        return valid(host);
    }
    host = text.substr(0, colon);
    const auto value = ReadNumber(text.substr(colon + 1), 1, 65535);
    if (!value) return false;
    port = static_cast<std::uint16_t>(*value);
    return valid(host);
}

bool Options::IsOptionAt(std::size_t i) const {
    return i < literalFrom && i < args.size() && LooksLikeOption(args[i]);
}

std::optional<Options> ParseOptions(int argc, const char* const* argv, std::string& error) {
    Options o;
    bool sawTcp = false;
    bool literal = false;  // after "--"
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (literal) {
            (o.command.empty() ? o.command : o.args.emplace_back()) = arg;
            continue;
        }
        auto value = [&](const char* name) -> std::optional<std::string> {
            if (i + 1 >= argc) {
                error = std::string(name) + " needs a value";
                return std::nullopt;
            }
            return std::string(argv[++i]);
        };
        if (arg == "--") {
            literal = true;
            o.literalFrom = o.args.size();
        } else if (arg == "--help" || arg == "-h") {
            o.help = true;
        } else if (arg == "--version") {
            o.version = true;
        } else if (arg == "--json") {
            o.json = true;
        } else if (arg == "--trace") {
            o.trace = true;
        } else if (arg == "--serial") {
            auto v = value("--serial");
            if (!v) return std::nullopt;
            o.serial = true;
            o.serialPath = *v;
        } else if (arg == "--tcp") {
            auto v = value("--tcp");
            if (!v) return std::nullopt;
            if (!ParseHostPort(*v, o.host, o.port)) {
                error = "bad --tcp address: " + *v;
                return std::nullopt;
            }
            sawTcp = true;
        } else if (o.command.empty() && LooksLikeOption(arg)) {
            // After the command, options are the command's own (its parser
            // refuses those it does not know).
            error = "unknown option " + arg;
            return std::nullopt;
        } else if (o.command.empty()) {
            o.command = arg;
        } else {
            o.args.push_back(arg);
        }
    }
    if (o.serial && sawTcp) {
        error = "--serial and --tcp exclude each other";
        return std::nullopt;
    }
    if (o.command.empty() && !o.help && !o.version) {
        error = "no command given";
        return std::nullopt;
    }
    return o;
}

}  // namespace torvane::cli
