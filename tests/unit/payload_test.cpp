// A package packed into its setup program and read back: whole, cut, changed, padded and
// signed afterwards as a signing tool does, or signed before it was packed.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "check/pack.h"
#include "engine/payload.h"
#include "install/program_image.h"

namespace {

void Put(std::string& bytes, std::size_t at, std::uint64_t value, int count) {
    for (int i = 0; i < count; ++i, value >>= 8) bytes[at + i] = static_cast<char>(value & 0xff);
}

// The smallest 32-bit PE program that has what the reader looks at: one section, the
// certificate directory, the single-copy name.
std::string Program() {
    std::string bytes(0x400, '\0');
    bytes.replace(0, 2, "MZ");
    Put(bytes, 0x3c, 0x40, 4);
    bytes.replace(0x40, 4, std::string("PE\0\0", 4));
    Put(bytes, 0x46, 1, 2);      // sections
    Put(bytes, 0x54, 0xe0, 2);   // optional header size
    Put(bytes, 0x58, 0x10b, 2);  // PE32
    Put(bytes, 0x58 + 60, 0x200, 4);
    Put(bytes, 0x58 + 64, 0x1234, 4);  // checksum
    const std::size_t section = 0x58 + 0xe0;
    Put(bytes, section + 16, 0x200, 4);
    Put(bytes, section + 20, 0x200, 4);
    bytes.replace(0x300, 10, "KELVOSETUP");
    return bytes;
}

constexpr std::size_t kSecurityAt = 0x58 + 96 + 4 * 8;

// What a signing tool does: pads to 8 bytes, appends a certificate table, points the
// security directory at it and rewrites the checksum.
std::string Signed(std::string bytes) {
    bytes.resize((bytes.size() + 7) / 8 * 8, '\0');
    const std::size_t at = bytes.size();
    bytes += std::string(8, '\0') + "certificate-bytes";
    Put(bytes, kSecurityAt, at, 4);
    Put(bytes, kSecurityAt + 4, bytes.size() - at, 4);
    Put(bytes, 0x58 + 64, 0xbeef, 4);
    return bytes;
}

std::string Pseudorandom(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>((seed = seed * 1103515245u + 12345u) >> 16);
    return bytes;
}

std::vector<PackFile> Files() {
    std::string text;
    for (int i = 0; i < 2000; ++i) text += "line " + std::to_string(i % 97) + "\r\n";
    return {{"SETUP.INI", "[Setup]\r\n", 0x20, 1},
            {"EMPTY.TXT", "", 0x21, 2, true},
            {"BIG.DAT", Pseudorandom(700000, 7), 0x20, 3},  // more than a read, and stored
            {"TEXT.TXT", text, 0x20, 4, true},
            {"DISK2\\\x83\x5c.TXT", "second disk", 0x20, 5, true},  // a trail byte 0x5C is no delimiter
            {"README.TXT", text + "!", 0x20, 6}};
}

struct Unpacked {
    PayloadState state;
    Payload payload;
    std::map<std::string, std::string> files;
    bool whole = false;
};

Unpacked Read(const std::string& bytes) {
    Unpacked out;
    MemorySource source(bytes);
    out.state = ReadPayload(source, out.payload);
    if (out.state != PayloadState::kWhole) return out;
    auto sink = [&](std::size_t i, const char* data, std::size_t count) {
        out.files[out.payload.files[i].name].append(data, count);
        return true;
    };
    out.whole = UnpackPayload(source, out.payload, sink);
    return out;
}

}  // namespace

TEST(Payload, PackedFilesComeBackWithTheirTimesAndAttributesAndTheProgramAsPacked) {
    const std::string program = Program();
    const std::string packed = PackPackage({program, 99}, Files());
    ASSERT_FALSE(packed.empty());
    EXPECT_EQ(packed.compare(0, program.size(), program), 0);  // the program first, unchanged
    EXPECT_LT(packed.size(), program.size() + 700000 + 2000);  // the texts compressed
    const Unpacked read = Read(packed);
    ASSERT_EQ(read.state, PayloadState::kWhole);
    ASSERT_TRUE(read.whole);
    ASSERT_EQ(read.payload.files.size(), Files().size() + 1);
    EXPECT_EQ(read.payload.files[0].kind, PayloadKind::kProgramTail);
    EXPECT_EQ(read.payload.files[0].writeTime, 99u);
    // Taken out before the run, by kind then name; then the copied ones as the run asks for them.
    std::vector<std::string> order;
    for (const PayloadFile& entry : read.payload.files) order.push_back(entry.name);
    EXPECT_EQ(order, (std::vector<std::string>{"SETUP.EXE", "BIG.DAT", "SETUP.INI", "README.TXT", "EMPTY.TXT",
                                               "TEXT.TXT", "DISK2\\\x83\x5c.TXT"}));
    for (const PackFile& file : Files()) {
        const auto entry = std::find_if(read.payload.files.begin(), read.payload.files.end(),
                                        [&](const PayloadFile& f) { return f.name == file.name; });
        EXPECT_EQ(entry->kind, file.copied ? PayloadKind::kCopiedFile : PayloadKind::kPackageFile);
        EXPECT_EQ(entry->attributes, file.attributes);
        EXPECT_EQ(entry->writeTime, file.writeTime);
        EXPECT_EQ(read.files.at(file.name), file.bytes) << file.name;
    }
    MemorySource source(packed);
    EXPECT_EQ(PackedProgram(source, read.payload, ""), program);
    EXPECT_EQ(PackPackage({program, 99}, Files()), packed);   // the same bytes every time
    EXPECT_TRUE(PackPackage({packed, 99}, Files()).empty());  // never packed twice
    EXPECT_EQ(Read(program).state, PayloadState::kNone);
    EXPECT_TRUE(IsWholeSetupProgram(program));
}

TEST(Payload, AnyChangedOrMissingByteIsDamageNeverAWholePackage) {
    const std::string packed = PackPackage({Program(), 99}, Files());
    const std::size_t start = Program().size();
    for (std::size_t at = start; at < packed.size(); at += (packed.size() - start) / 50 + 1) {
        std::string changed = packed;
        changed[at] = static_cast<char>(changed[at] ^ 0x10);
        EXPECT_EQ(Read(changed).state, PayloadState::kDamaged) << at;
    }
    for (std::size_t size : {start + 8, start + 30, start + 500, packed.size() / 2, packed.size() - 1})
        EXPECT_EQ(Read(packed.substr(0, size)).state, PayloadState::kDamaged) << size;
    // The program in front is part of what is checked, as far as a signature leaves it.
    std::string program = packed;
    program[0x300] = 'X';
    EXPECT_EQ(Read(program).state, PayloadState::kDamaged);
}

TEST(Payload, ASignatureAddedAfterPackingLeavesThePayloadReadable) {
    const std::string program = Program();
    const std::string packed = PackPackage({program, 99}, Files());
    const std::string signedPacked = Signed(packed);
    const Unpacked read = Read(signedPacked);
    ASSERT_EQ(read.state, PayloadState::kWhole);
    EXPECT_TRUE(read.whole);
    MemorySource source(signedPacked);
    EXPECT_EQ(PackedProgram(source, read.payload, ""), program);  // checksum and directory put back
    // Bytes between the payload and the signature are no padding a signing tool leaves.
    std::string longer = packed + std::string(64, 'x');
    EXPECT_EQ(Read(Signed(longer)).state, PayloadState::kWhole);
    std::string inside = Signed(packed);
    inside[packed.size() - 2] ^= 1;
    EXPECT_EQ(Read(inside).state, PayloadState::kDamaged);
}

TEST(Payload, AProgramSignedBeforePackingIsGivenBackWithItsSignature) {
    const std::string signedProgram = Signed(Program());
    const std::string packed = PackPackage({signedProgram, 99}, Files());
    ASSERT_FALSE(packed.empty());
    const std::string signedPacked = Signed(packed);
    const Unpacked read = Read(signedPacked);
    ASSERT_EQ(read.state, PayloadState::kWhole);
    MemorySource source(signedPacked);
    const std::string tail = read.files.at("SETUP.EXE");
    EXPECT_EQ(PackedProgram(source, read.payload, tail), signedProgram);
    EXPECT_TRUE(IsWholeSetupProgram(signedProgram));
    EXPECT_FALSE(IsWholeSetupProgram(signedProgram.substr(0, signedProgram.size() - 4)));
}

TEST(Payload, NamesThatLeadOutOfTheFolderAreNotPacked) {
    for (const char* name :
         {"..\\X.TXT", "C:\\X.TXT", "\\X.TXT", "A\\..\\..\\X.TXT", "A\\\\B", "X.TXT.", "A/B", "", "A\\"}) {
        EXPECT_TRUE(PackPackage({Program(), 1}, {{name, "x", 0x20, 1}}).empty()) << name;
    }
}

TEST(Payload, TheCrcIsTheOneZipAndPngUse) {
    const char* check = "123456789";
    EXPECT_EQ(payload_format::Crc(0, check, 9), 0xCBF43926u);
    EXPECT_EQ(payload_format::Crc(payload_format::Crc(0, check, 4), check + 4, 5), 0xCBF43926u);  // in pieces
    EXPECT_EQ(payload_format::Crc(0, "", 0), 0u);
    const std::string bytes = Pseudorandom(3000, 5);
    EXPECT_EQ(payload_format::Crc(0, bytes.data(), bytes.size()), 0xF49A7290u);  // zlib.crc32 of the same bytes
}

// A block changed behind the payload's CRC (sealed again, as a careless tool might): the
// decoder, not the whole-payload check, must refuse it, and without reading past its bytes.
TEST(Payload, ABlockThatDoesNotDecodeToItsSizeIsRefused) {
    std::string text;
    for (int i = 0; i < 3000; ++i) text += "entry " + std::to_string(i % 41) + "\r\n";
    const std::string packed = PackPackage({Program(), 1}, {{"A.TXT", text, 0x20, 1}});
    Unpacked read = Read(packed);
    ASSERT_TRUE(read.whole);
    const std::size_t block = static_cast<std::size_t>(read.payload.dataStart);
    EXPECT_EQ(packed[block + 8], 2);  // LZMA
    const std::uint32_t stored =
        static_cast<unsigned char>(packed[block + 4]) | static_cast<unsigned char>(packed[block + 5]) << 8;
    EXPECT_LT(stored, text.size() / 10);
    auto sealed = [&](std::string bytes) {
        const std::size_t end = static_cast<std::size_t>(read.payload.end);
        const std::size_t start = static_cast<std::size_t>(read.payload.start);
        Put(bytes, end - 4, payload_format::Crc(0, bytes.data() + start, end - 4 - start), 4);
        return Read(bytes);
    };
    EXPECT_TRUE(sealed(packed).whole);
    std::string changed = packed;
    changed[block + 9 + 5 + stored / 2] ^= 0x40;  // inside the stream
    EXPECT_FALSE(sealed(changed).whole);
    changed = packed;
    Put(changed, block, text.size() + 1, 4);  // one byte more than the stream holds
    EXPECT_FALSE(sealed(changed).whole);
    changed = packed;
    changed[block + 8] = 1;  // deflate: no longer read
    EXPECT_FALSE(sealed(changed).whole);
    changed = packed;
    changed[block + 9] = static_cast<char>(0xff);  // no valid lc/lp/pb
    EXPECT_FALSE(sealed(changed).whole);
    changed = packed;
    Put(changed, block + 4, 3, 4);  // shorter than the properties; the rest is then no block
    EXPECT_FALSE(sealed(changed).whole);
}

TEST(Payload, RandomBytesAreStoredButTextAmongThemIsStillCompressed) {
    const std::string noise = Pseudorandom(5000, 3);
    const std::string packed = PackPackage({Program(), 1}, {{"N.BIN", noise, 0x20, 1}});
    const Unpacked read = Read(packed);
    ASSERT_TRUE(read.whole);
    EXPECT_EQ(packed[static_cast<std::size_t>(read.payload.dataStart) + 8], 0);
    EXPECT_EQ(read.files.at("N.BIN"), noise);
    // A long script beside a few MB of random files: the text shrinks.
    std::string script;
    for (int i = 0; i < 8000; ++i) script += "File" + std::to_string(i) + "=(App)data" + std::to_string(i) + ".bin\r\n";
    const std::string big = Pseudorandom(3 << 20, 9);
    const std::string mixed = PackPackage({Program(), 1}, {{"SETUP.INI", script, 0x20, 1}, {"D.BIN", big, 0x20, 1}});
    const Unpacked mixedRead = Read(mixed);
    ASSERT_TRUE(mixedRead.whole);
    EXPECT_EQ(mixed[static_cast<std::size_t>(mixedRead.payload.dataStart) + 8], 0);  // D.BIN first, stored
    EXPECT_LT(mixed.size(), Program().size() + big.size() + script.size() / 2);
    EXPECT_EQ(mixedRead.files.at("D.BIN"), big);
}

// One LZMA stream longer than its dictionary, read forward once: the dictionary wraps round
// while files are passed over, taken in pieces, and a sink that fails stops the reader.
TEST(Payload, TheReaderGoesForwardOnceThroughAStreamLongerThanItsDictionary) {
    std::string text;
    for (int i = 0; text.size() < 400000; ++i) text += "copy " + std::to_string(i * 7919 % 100003) + " of it\r\n";
    std::vector<PackFile> files;
    for (int i = 0; i < 3; ++i)
        files.push_back({"F" + std::to_string(i) + ".TXT", text.substr(i * 1000), 0x20, 1, true});
    const std::string packed = PackPackage({Program(), 1}, files, 64 << 10);
    MemorySource source(packed);
    Payload payload;
    ASSERT_EQ(ReadPayload(source, payload), PayloadState::kWhole);
    EXPECT_LT(payload.end - payload.dataStart, text.size());
    PayloadReader reader(source, payload);
    EXPECT_TRUE(reader.Skip());  // the program's tail
    EXPECT_TRUE(reader.Skip());  // F0, never written
    std::string got;
    auto sink = [&](std::size_t i, const char* bytes, std::size_t count) {
        EXPECT_EQ(i, 2u);
        got.append(bytes, count);
        return true;
    };
    ASSERT_TRUE(reader.Take(sink));
    EXPECT_EQ(got, files[1].bytes);
    EXPECT_EQ(reader.Next(), 3u);
    auto refuse = [](std::size_t, const char*, std::size_t) { return false; };
    EXPECT_FALSE(reader.Take(refuse));
    PayloadReader again(source, payload);
    for (std::size_t i = 0; i < payload.files.size(); ++i) EXPECT_TRUE(again.Skip());
    EXPECT_TRUE(again.AtEnd());
    EXPECT_FALSE(again.Skip());  // nothing after the last file
}
