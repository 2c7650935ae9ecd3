#include "lp_data_from_model.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "io/byte_source.h"

namespace lpsens::tools {

revised::LpData read_mps_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) throw std::runtime_error(path + ": " + std::strerror(errno));
    std::string text;
    try {
        ByteSource source(fd);
        source.origin = path;
        text = source.read_rest();
    } catch (...) {
        ::close(fd);
        throw;
    }
    ::close(fd);
    return lp_from_model(read_mps(text, path));
}

}  // namespace lpsens::tools
