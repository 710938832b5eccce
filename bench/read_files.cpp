// What reading alone costs on this machine: reads every file of a list as a content search does
// (open, one status call, reads up to the size the call gave, close), on N threads that take the
// files in turn, with no walk and no scan. cores.sh times it beside the search, so that the
// scaling the machine allows shows beside the scaling the search reaches.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"

namespace {

// Reads the file at path to the size it had when opened; gives the bytes read.
std::uint64_t ReadFile(const std::string& path, std::vector<char>& buffer) {
    tanmira::platform::InputFile file(path);
    if (!file.IsOpen())
        return 0;
    if (buffer.size() < file.Size())
        buffer.resize(file.Size());
    std::uint64_t total = 0;
    while (total < file.Size()) {
        const auto n = file.Read(buffer.data() + total, file.Size() - total);
        if (!n || *n == 0)
            break;
        total += *n;
    }
    return total;
}

}  // namespace

int main(int argc, char** argv) {
    const unsigned threads = argc == 3 ? static_cast<unsigned>(std::atoi(argv[1])) : 0;
    if (threads == 0) {
        std::fprintf(stderr, "usage: tanmira-read-bench THREADS LIST (paths ending in 0 bytes)\n");
        return 2;
    }
    std::vector<std::string> paths;
    std::ifstream list(argv[2], std::ios::binary);
    for (std::string path; std::getline(list, path, '\0');)
        paths.push_back(std::move(path));

    std::atomic<std::size_t> next{0};
    std::atomic<std::uint64_t> bytes{0};
    {
        std::vector<std::jthread> workers;
        for (unsigned t = 0; t < threads; ++t) {
            workers.emplace_back([&] {
                std::vector<char> buffer;
                std::uint64_t read = 0;
                for (std::size_t i; (i = next++) < paths.size();)
                    read += ReadFile(paths[i], buffer);
                bytes += read;
            });
        }
    }
    std::printf("%zu files, %llu bytes\n", paths.size(),
                static_cast<unsigned long long>(bytes.load()));
    return 0;
}
