#include "framework/SafeFormat.h"

std::string FormatText(std::string_view format, std::initializer_list<FormatArg> args)
{
    std::string out;
    out.reserve(format.size() + 64);
    auto next = args.begin();
    for (size_t i = 0; i < format.size(); ++i) {
        const char c = format[i];
        if (c != '%' || i + 1 >= format.size()) {
            out += c;
            continue;
        }
        const char conv = format[i + 1];
        FormatArg::Kind wanted;
        switch (conv) {
            case '%':
                out += '%';
                ++i;
                continue;
            case 's':
                wanted = FormatArg::Kind::String;
                break;
            case 'c':
                wanted = FormatArg::Kind::Char;
                break;
            case 'd':
            case 'i':
            case 'u':
                wanted = FormatArg::Kind::Number;
                break;
            default:
                out += c;  // any other sequence stays as written
                continue;
        }
        ++i;
        if (next == args.end()) {
            out += '%';
            out += conv;
            continue;
        }
        const FormatArg& arg = *next++;
        if (arg.kind() == wanted) {
            out += arg.text();
        } else {
            out += '%';
            out += conv;
        }
    }
    return out;
}
