#include "cipher/ElAES.h"

#include <algorithm>
#include <istream>
#include <ostream>
#include <utility>

namespace {

constexpr int64_t BlockSize = static_cast<int64_t>(sizeof(TAESBuffer));

[[noreturn]] void ThrowReadError() {
    throw EStreamError("Stream read error");
}

// The size of the source and its current position, without moving it.
std::pair<int64_t, int64_t> SizeAndPosition(std::istream& source) {
    const std::streampos position = source.tellg();
    if (position == std::streampos(-1)) {
        ThrowReadError();
    }
    source.seekg(0, std::ios::end);
    const std::streampos end = source.tellg();
    source.seekg(position);
    if (end == std::streampos(-1) || !source) {
        ThrowReadError();
    }
    return {static_cast<int64_t>(end), static_cast<int64_t>(position)};
}

template <class Key>
int64_t DecipherEcb(std::istream& source, int64_t count, const Key& key, std::ostream& dest) {
    if (count < 0) {
        return 0;
    }
    const auto [size, position] = SizeAndPosition(source);
    if (count == 0) {
        source.seekg(0, std::ios::beg);
        count = size;
    } else {
        count = std::min(count, std::max<int64_t>(size - position, 0));
    }
    if (count == 0) {
        return 0;
    }
    if (count % BlockSize != 0) {
        throw EAESError("Invalid buffer size for decryption");
    }

    const auto schedule = ExpandAESKeyForDecryption(key);
    int64_t written = 0;
    TAESBuffer block{};
    while (count - written >= BlockSize) {
        source.read(reinterpret_cast<char*>(block.data()), BlockSize);
        if (source.gcount() != BlockSize) {
            ThrowReadError();
        }
        const TAESBuffer plain = DecryptAES(block, schedule);
        dest.write(reinterpret_cast<const char*>(plain.data()), BlockSize);
        if (!dest) {
            throw EStreamError("Stream write error");
        }
        written += BlockSize;
    }
    return written;
}

} // namespace

int64_t DecipherStreamEcb(std::istream& source, int64_t count, const TAESKey128& key,
                          std::ostream& dest) {
    return DecipherEcb(source, count, key, dest);
}

int64_t DecipherStreamEcb(std::istream& source, int64_t count, const TAESKey192& key,
                          std::ostream& dest) {
    return DecipherEcb(source, count, key, dest);
}

int64_t DecipherStreamEcb(std::istream& source, int64_t count, const TAESKey256& key,
                          std::ostream& dest) {
    return DecipherEcb(source, count, key, dest);
}
