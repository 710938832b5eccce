// Fuzz target: the mount-table parser. A line written as the kernel writes it (space, tab, line
// break and backslash escaped in octal) parses back to the same mount, after any text; any text
// parses to at most one mount per line, and the kernel-interface flags agree with the types.
#include <sys/sysmacros.h>

#include <algorithm>
#include <cstdio>

#include "platform/posix/mountinfo.h"
#include "tests/fuzz/fuzz_input.h"

using namespace tanmira;
using fuzz::Check;
using platform::Mount;

namespace {

std::string Escape(const std::string& field) {
    std::string out;
    for (const char c : field) {
        if (c != ' ' && c != '\t' && c != '\n' && c != '\\') {
            out += c;
            continue;
        }
        char octal[5];
        std::snprintf(octal, sizeof octal, "\\%03o", static_cast<unsigned char>(c));
        out += octal;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzInput input(data, size);
    const unsigned major = input.Byte();
    const unsigned minor = input.Byte() | (input.Byte() << 8);
    const std::string point = "/" + input.String(40);
    std::string type = input.String(12);
    std::string source = input.String(20);
    if (type.empty())
        type = "ext4";
    if (source.empty())
        source = "none";
    const std::string text = input.Rest();

    const std::string line = "36 35 " + std::to_string(major) + ":" + std::to_string(minor) +
                             " / " + Escape(point) + " rw,relatime shared:1 - " + Escape(type) +
                             " " + Escape(source) + " rw\n";
    const std::vector<Mount> alone = platform::ParseMountInfo(line);
    Check(alone.size() == 1);
    Check(alone[0].point == point && alone[0].type == type && alone[0].source == source);
    Check(alone[0].device == makedev(major, minor));

    // After any text that ends its last line, the line still parses the same.
    const std::vector<Mount> before = platform::ParseMountInfo(text);
    const std::vector<Mount> after = platform::ParseMountInfo(text + "\n" + line);
    Check(after.size() == before.size() + 1 && after.back().point == point);
    Check(before.size() <=
          static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);

    const std::vector<bool> kernel = platform::KernelInterfaces(after);
    Check(kernel.size() == after.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        if (after[i].type == "proc" || after[i].type == "sysfs")
            Check(kernel[i]);
    }
    return 0;
}
