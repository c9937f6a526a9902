#include "window_command_line.h"

#include <QByteArray>

#include "file_name.h"

#include <algorithm>
#include <iterator>
#include <string_view>

namespace {

struct QtOption {
    std::string_view name;
    bool takesValue;
};

// The options QGuiApplication and QApplication take themselves, each also
// written with two dashes or with "=value" attached.
constexpr QtOption kQtOptions[] = {
    {"platform", true},        {"platformpluginpath", true},
    {"platformtheme", true},   {"plugin", true},
    {"qwindowgeometry", true}, {"geometry", true},
    {"qwindowtitle", true},    {"title", true},
    {"qwindowicon", true},     {"icon", true},
    {"session", true},         {"display", true},
    {"style", true},           {"stylesheet", true},
    {"qmljsdebugger", true},   {"reverse", false},
    {"widgetcount", false},    {"testability", false},
    {"nograb", false},         {"dograb", false},
};

// The Qt option an argument names, with whether its value is attached.
const QtOption* QtOptionOf(std::string_view argument, bool& attached) {
    argument.remove_prefix(argument.starts_with("--") ? 2 : 1);
    const std::size_t equals = argument.find('=');
    attached = equals != std::string_view::npos;
    const std::string_view name = argument.substr(0, equals);
    const auto option = std::find_if(std::begin(kQtOptions), std::end(kQtOptions),
                                     [&](const QtOption& o) { return o.name == name; });
    if (option == std::end(kQtOptions) || (attached && !option->takesValue))
        return nullptr;
    return option;
}

QString Decoded(const std::string& argument) {
    return DecodeFileName(QByteArray::fromStdString(argument));
}

} // namespace

WindowCommandLine ParseWindowCommandLine(const std::vector<std::string>& argv) {
    WindowCommandLine line;
    if (!argv.empty())
        line.QtArguments.push_back(argv.front());
    const auto end = std::find(argv.begin() + (argv.empty() ? 0 : 1), argv.end(), "--");
    for (auto it = argv.begin() + (argv.empty() ? 0 : 1); it != end; ++it) {
        if (*it == "--version")
            line.Version = true;
        else if (*it == "--help" || *it == "-h")
            line.Help = true;
    }
    if (line.Help || line.Version)
        return line;

    std::vector<std::string> files;
    bool optionsEnded = false;
    for (std::size_t i = 1; i < argv.size(); ++i) {
        const std::string& argument = argv[i];
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || argument == "-" || !argument.starts_with('-')) {
            files.push_back(argument);
            continue;
        }
        bool attached = false;
        const QtOption* option = QtOptionOf(argument, attached);
        if (option == nullptr) {
            line.Error = QStringLiteral("unknown option '%1'").arg(Decoded(argument));
            return line;
        }
        line.QtArguments.push_back(argument);
        if (option->takesValue && !attached) {
            if (i + 1 >= argv.size()) {
                line.Error = QStringLiteral("%1 needs a value").arg(Decoded(argument));
                return line;
            }
            line.QtArguments.push_back(argv[++i]);
        }
    }
    if (files.size() > 1) {
        line.Error = QStringLiteral("one data file only, got '%1' and '%2'")
                         .arg(Decoded(files[0]), Decoded(files[1]));
        return line;
    }
    // The name keeps its own bytes, so the file opened is the one named.
    if (files.size() == 1)
        line.DataFile = Decoded(files[0]);
    return line;
}
