#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <cstdint>

// What every fuzz target shares. A target defines LLVMFuzzerTestOneInput; the start-up below
// runs first, and main() is libFuzzer's or, without it, ReplayMain.cpp's.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv);
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzz {

// Reads a fuzzer's input front to back as the values a target needs. Past the end every read
// gives zero or nothing, so every input is a valid one.
class Input {
public:
    Input(const uint8_t* data, size_t size)
        : m_data(reinterpret_cast<const char*>(data)), m_size(size) {}

    size_t remaining() const { return m_size - m_at; }
    uint8_t byte() { return m_at < m_size ? uint8_t(m_data[m_at++]) : 0; }
    bool flag() { return byte() & 1; }
    // A number from 0 to `max`, from as many bytes as it needs.
    uint32_t number(uint32_t max);
    // The bytes up to the next `separator` (which is skipped), or all that is left.
    QByteArray until(char separator);
    QByteArray rest();

private:
    const char* m_data;
    size_t m_size;
    size_t m_at = 0;
};

// Text from the fuzzer's bytes: UTF-8 where the bytes are UTF-8, 0xFE and two more bytes for
// any UTF-16 unit (lone surrogates too), every other byte as its Latin-1 character. ASCII stays
// ASCII, so tags and the dictionary's words come through as written.
QString textOf(QByteArrayView bytes);

// A broken property: prints what broke, with the values involved, and aborts; libFuzzer then
// saves the input.
[[noreturn]] void fail(const char* property, const QString& detail = {});

// A text or bytes spelt out for a report: printable ASCII as is, the rest escaped.
QString shown(QStringView text);
QString shown(QByteArrayView bytes);

// Delivers what a run posted, as the program's event loop would between two keystrokes: a
// target that sets a pane's text queues a call for each new range of its scroll bars, and with
// no loop to deliver them they would pile up run after run.
void deliverPostedEvents();

// A folder of this process for the files a target writes; on a memory file system when there
// is one, since every atomic write syncs the disk.
QString scratchFolder();
void writeFile(const QString& path, QByteArrayView bytes);
QByteArray readFile(const QString& path);

} // namespace fuzz

#define FUZZ_CHECK(condition, ...)                                                                 \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::fuzz::fail(#condition __VA_OPT__(, ) __VA_ARGS__);                                   \
    } while (false)
