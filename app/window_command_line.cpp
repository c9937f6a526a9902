#include "window_command_line.h"

WindowCommandLine ParseWindowCommandLine(const QStringList& arguments) {
    WindowCommandLine line;
    bool optionsEnded = false;
    for (const QString& argument : arguments) {
        if (!optionsEnded && argument == u"--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && argument.startsWith(u'-') && argument != u"-") {
            line.Error = QStringLiteral("unknown option '%1'").arg(argument);
            return line;
        }
        if (line.DataFile) {
            line.Error = QStringLiteral("one data file only, got '%1' and '%2'")
                             .arg(*line.DataFile, argument);
            return line;
        }
        line.DataFile = argument;
    }
    return line;
}
