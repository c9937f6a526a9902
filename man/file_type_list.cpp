// Writes quorvex(1) with its list of file types made from the readers' own
// tables, so that the manual cannot describe columns the readers do not read.
//
//   file_type_list TEMPLATE PAGE  copy TEMPLATE to PAGE, its one marker line
//                                 replaced by the list in roff
//   file_type_list --text         each type's caption and columns as plain
//                                 text, one a line, to find in the rendered
//                                 page

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <string_view>

#include "file_type.h"

namespace {

// The template line the list replaces.
constexpr std::string_view kMarker = ".\\\" FILE-TYPE-LIST";

// Text as roff prints it: backslashes and hyphens escaped (a bare hyphen may
// print as a typographic one, which a reader cannot copy into a file), a
// control character at the start of the line made literal, and a trailing
// space (roff drops it) or a run of spaces (a line break may fall inside)
// made unbreakable, so that a caption reads as the window shows it.
std::string RoffText(std::string_view text) {
    std::string roff;
    if (text.starts_with('.') || text.starts_with('\''))
        roff += "\\&";
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\\')
            roff += "\\e";
        else if (c == '-')
            roff += "\\-";
        else if (c == ' ' && (i + 1 == text.size() || text[i + 1] == ' '))
            roff += "\\ ";
        else
            roff += c;
    }
    return roff;
}

std::string FileTypeListRoff() {
    std::string roff;
    for (FileType type = 0; type < kFileTypeCount; ++type) {
        roff += ".TP\n.B " + std::to_string(type) + "\n\\(lq" +
                RoffText(kFileTypeCaptions[static_cast<std::size_t>(type)]) + "\\(rq\n.br\n" +
                RoffText(FileTypeColumns(type)) + ".\n";
    }
    return roff;
}

int WritePage(const char* templatePath, const char* pagePath) {
    std::ifstream in(templatePath);
    if (!in) {
        std::cerr << "file_type_list: cannot read " << templatePath << '\n';
        return 1;
    }
    std::ostringstream page;
    int markers = 0;
    for (std::string line; std::getline(in, line);) {
        if (std::string_view(line).starts_with(kMarker)) {
            page << FileTypeListRoff();
            ++markers;
        } else {
            page << line << '\n';
        }
    }
    if (markers != 1) {
        std::cerr << "file_type_list: " << templatePath << " has " << markers
                  << " lines beginning '" << kMarker << "', not one\n";
        return 1;
    }
    std::ofstream out(pagePath, std::ios::binary | std::ios::trunc);
    out << page.str();
    out.close();
    if (!out) {
        std::cerr << "file_type_list: cannot write " << pagePath << '\n';
        std::remove(pagePath);
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string_view(argv[1]) == "--text") {
        for (FileType type = 0; type < kFileTypeCount; ++type) {
            std::cout << kFileTypeCaptions[static_cast<std::size_t>(type)] << '\n'
                      << FileTypeColumns(type) << '\n';
        }
        return std::cout.flush() ? 0 : 1;
    }
    if (argc == 3)
        return WritePage(argv[1], argv[2]);
    std::cerr << "usage: file_type_list TEMPLATE PAGE | --text\n";
    return 2;
}
