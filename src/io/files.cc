#include "io/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "numeric/run_error.h"

namespace lpsens {

void write_text_file(const std::string& path, const std::string& text) {
    TextFileWriter file(path);
    file.write(text);
    file.close();
}

TextFileWriter::TextFileWriter(const std::string& path) : path_(path) {
    file_ = std::fopen(path.c_str(), "wb");
    if (file_ == nullptr) {
        const int code = errno;
        throw RunError(code, Site::result_file, "cannot create " + path + ": " + system_error_text(code));
    }
}

TextFileWriter::~TextFileWriter() {
    if (file_ != nullptr) std::fclose(file_);
}

void TextFileWriter::fail(int code) const {
    throw RunError(code, Site::result_file, "cannot write " + path_ + ": " + system_error_text(code));
}

void TextFileWriter::write(std::string_view text) {
    if (text.empty()) return;
    errno = 0;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) fail(errno ? errno : 5);
}

void TextFileWriter::close() {
    std::FILE* file = file_;
    file_ = nullptr;
    errno = 0;
    if (std::fclose(file) != 0) fail(errno ? errno : 5);
}

int open_input_file(const std::string& path) {
    const auto refuse = [&](int code) {
        throw RunError(code, Site::input_open, "cannot open " + path + ": " + system_error_text(code));
    };
    const int fd = ::open(path.c_str(), O_RDONLY);
    if (fd < 0) refuse(errno);
    struct stat status;
    if (::fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
        ::close(fd);
        refuse(EISDIR);
    }
    return fd;
}

void check_output_file(const std::string& path) {
    const auto refuse = [&](int code) {
        throw RunError(code, Site::result_file, "cannot create " + path + ": " + system_error_text(code));
    };
    struct stat status;
    if (::stat(path.c_str(), &status) == 0) {
        if (S_ISDIR(status.st_mode)) refuse(EISDIR);
        if (S_ISSOCK(status.st_mode)) refuse(ENXIO);  // as opening it would say
        if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) refuse(errno);
        return;
    }
    if (errno != ENOENT) refuse(errno);
    if (path.back() == '/') refuse(EISDIR);  // a folder's name, and no such folder
    // A missing file: its folder must let a file be made in it.
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    if (::stat(folder.c_str(), &status) != 0) refuse(errno);
    if (!S_ISDIR(status.st_mode)) refuse(ENOTDIR);
    if (::faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) != 0) refuse(errno);
}

}  // namespace lpsens
