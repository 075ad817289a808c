#include "cipher/AES.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace {

constexpr std::size_t LengthSize = 8;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Runs the stream routine with the key of the selected size; another selector deciphers
// nothing and reports 0 bytes written.
int64_t DecipherWithKeySize(std::istream& source, int64_t count, std::string_view keyText,
                            int keySize, std::ostream& dest) {
    switch (keySize) {
    case AESKeySize128:
        return DecipherStreamEcb(source, count, AESKeyFromText<16>(keyText), dest);
    case AESKeySize192:
        return DecipherStreamEcb(source, count, AESKeyFromText<24>(keyText), dest);
    case AESKeySize256:
        return DecipherStreamEcb(source, count, AESKeyFromText<32>(keyText), dest);
    default:
        return 0;
    }
}

// Reads the 8-byte little-endian stored length at the current position.
int64_t ReadStoredLength(std::istream& source) {
    std::array<char, LengthSize> bytes{};
    source.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (source.gcount() != static_cast<std::streamsize>(bytes.size())) {
        throw EStreamError("Stream read error");
    }
    uint64_t value = 0;
    for (std::size_t i = LengthSize; i-- > 0;) {
        value = value << 8 | static_cast<uint8_t>(bytes[i]);
    }
    return static_cast<int64_t>(value);
}

int64_t StreamSize(std::istream& source) {
    const std::streampos position = source.tellg();
    source.seekg(0, std::ios::end);
    const std::streampos end = source.tellg();
    source.seekg(position);
    if (position == std::streampos(-1) || end == std::streampos(-1) || !source) {
        throw EStreamError("Stream read error");
    }
    return static_cast<int64_t>(end);
}

} // namespace

std::string FileErrorText(const char* what, const std::string& path, int errorNumber) {
    std::error_code ec;
    std::filesystem::path fullName = std::filesystem::absolute(path, ec);
    if (ec) {
        fullName = path;
    }
    return std::string(what) + " \"" + fullName.lexically_normal().string() + "\". " +
           std::generic_category().message(errorNumber);
}

std::vector<uint8_t> HexTextToBytes(std::string_view text) {
    std::vector<uint8_t> bytes;
    bytes.reserve((text.size() + 1) / 2);
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const std::string_view pair = text.substr(i, 2);
        int value = 0;
        for (const char c : pair) {
            const int digit = HexDigit(c);
            if (digit < 0) {
                throw EConvertError("'0x" + std::string(pair) + "' is not a valid integer value");
            }
            value = value * 16 + digit;
        }
        bytes.push_back(static_cast<uint8_t>(value));
    }
    return bytes;
}

std::vector<uint8_t> DecipherHexText(std::string_view hexText, std::string_view keyText,
                                     int keySize) {
    const std::vector<uint8_t> bytes = HexTextToBytes(hexText);
    std::istringstream source(std::string(bytes.begin(), bytes.end()), std::ios::binary);
    ReadStoredLength(source);
    std::ostringstream plain(std::ios::binary);
    DecipherWithKeySize(source, static_cast<int64_t>(bytes.size() - LengthSize), keyText, keySize,
                        plain);
    const std::string text = std::move(plain).str();
    return {text.begin(), text.end()};
}

void DecipherFile(const std::string& sourcePath, const std::string& destPath,
                  std::string_view keyText, int keySize) {
    std::ifstream source;
    errno = 0;
    source.open(sourcePath, std::ios::binary);
    if (!source.is_open()) {
        throw EFileError(FileErrorText("Cannot open file", sourcePath, errno));
    }
    const int64_t storedLength = ReadStoredLength(source);
    const int64_t count = StreamSize(source) - static_cast<int64_t>(LengthSize);

    // Replacing the file being read would destroy the source under the reader; refuse it as
    // a file that is in use.
    std::error_code sameFile;
    if (std::filesystem::equivalent(sourcePath, destPath, sameFile)) {
        throw EFileError(FileErrorText("Cannot create file", destPath, EBUSY));
    }

    int64_t written = 0;
    {
        std::ofstream dest;
        errno = 0;
        dest.open(destPath, std::ios::binary | std::ios::trunc);
        if (!dest.is_open()) {
            throw EFileError(FileErrorText("Cannot create file", destPath, errno));
        }
        written = DecipherWithKeySize(source, count, keyText, keySize, dest);
        dest.close();
        if (dest.fail()) {
            throw EStreamError("Stream write error");
        }
    }

    // Cut off the padding; a stored length beyond what was deciphered never extends the file.
    const int64_t length = std::clamp<int64_t>(storedLength, 0, written);
    if (length < written) {
        std::error_code ec;
        std::filesystem::resize_file(destPath, static_cast<std::uintmax_t>(length), ec);
        if (ec) {
            throw EStreamError("Stream write error");
        }
    }
}
