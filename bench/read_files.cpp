// What reading alone costs on this machine: reads every file of a list as a content search does
// (open, one status call, reads up to the size the call gave, close), on N threads that take the
// files in turn, with no walk and no scan. cores.sh times it beside the search, so that the
// scaling the machine allows shows beside the scaling the search reaches.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "search/content_scan.h"

namespace {

// Bytes read at a time at most, as the search's pieces.
constexpr std::size_t kMostBuffered = tanmira::ContentScanner::kPieceSize;

// Reads the file at path by the search's own rule (FileReader: up to the size the status call
// gave, on until a read gives 0 where that size is 0 or a read comes short); gives the bytes read.
std::uint64_t ReadFile(const std::string& path, std::vector<char>& buffer) {
    tanmira::platform::InputFile file(path);
    if (!file.IsOpen())
        return 0;
    const auto wanted = std::clamp<std::uint64_t>(file.Size(), 4096, kMostBuffered);
    buffer.resize(std::max<std::size_t>(buffer.size(), wanted));
    tanmira::FileReader reader(file);
    std::uint64_t total = 0;
    while (!reader.Ended()) {
        const std::optional<std::size_t> n = reader.Read(buffer.data(), buffer.size());
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
