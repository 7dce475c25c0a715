// Counting a read-only query's result against its limit (see TDbResultLimit in DbBackend.h). The
// message names the command-line option that raises the limit, since only the command line sets one.
#include "DbBackend.h"

void TDbResultLimit::Count(std::uint64_t& rows, std::uint64_t& bytes, std::uint64_t rowBytes) const {
    if (++rows > MaxRows)
        throw EDbResultTooLarge("查询结果超过 " + std::to_string(MaxRows) +
                                " 行的上限（可用 --max-rows 提高上限）");
    bytes += rowBytes;
    if (bytes > MaxBytes)
        throw EDbResultTooLarge("查询结果超过 " + std::to_string(MaxBytes) +
                                " 字节的上限（可用 --max-bytes 提高上限）");
}
