#include "rom/tape_deck.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <vector>

namespace
{

constexpr std::uint16_t ld_bytes = 0x0556;
constexpr std::uint16_t return_address = 0xFF80; // where the deck takes control back
constexpr std::uint16_t stack_top = 0xFF00;
constexpr std::uint16_t bordcr = 23624; // the border colour the loader restores on return

// The 6912-byte block with its pilot tone plays for some 130 million T-states; a loader still
// running after this long is stuck.
constexpr std::uint64_t load_budget = 600'000'000;

} // namespace

namespace
{

std::vector<std::uint8_t> file_bytes(const std::string& file)
{
    std::ifstream stream(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
}

} // namespace

SpectrumTapeDeck::SpectrumTapeDeck(const std::string& rom_file, const std::string& tape_file)
{
    const std::vector<std::uint8_t> rom_bytes = file_bytes(rom_file);
    if (rom_bytes.size() != 16384) {
        throw std::runtime_error("cannot read the 16 KiB ROM " + rom_file);
    }
    std::copy(rom_bytes.begin(), rom_bytes.end(), memory_.begin());
    memory_[bordcr] = 0x38;

    if (libspectrum_init() != LIBSPECTRUM_ERROR_NONE) {
        throw std::runtime_error("libspectrum_init failed");
    }
    tape_ = libspectrum_tape_alloc();
    // libspectrum reads a WAV file through its name, not its bytes.
    const std::vector<std::uint8_t> tape_bytes = file_bytes(tape_file);
    if (libspectrum_tape_read(tape_, tape_bytes.data(), tape_bytes.size(), LIBSPECTRUM_ID_UNKNOWN,
                              tape_file.c_str()) != LIBSPECTRUM_ERROR_NONE) {
        libspectrum_tape_free(tape_);
        throw std::runtime_error("libspectrum cannot read the tape " + tape_file);
    }
    cpu_ = z80ex_create(read_memory, this, write_memory, this, read_port, this, write_port, this,
                        read_interrupt_vector, this);
    play_tape_until(0);
}

SpectrumTapeDeck::~SpectrumTapeDeck()
{
    z80ex_destroy(cpu_);
    libspectrum_tape_free(tape_);
}

bool SpectrumTapeDeck::load_block(std::uint8_t flag, std::uint16_t address, std::uint16_t length)
{
    memory_[stack_top] = return_address & 0xFF;
    memory_[stack_top + 1] = return_address >> 8;
    z80ex_set_reg(cpu_, regSP, stack_top);
    z80ex_set_reg(cpu_, regAF, static_cast<Z80EX_WORD>(flag << 8 | 0x01)); // carry: load
    z80ex_set_reg(cpu_, regIX, address);
    z80ex_set_reg(cpu_, regDE, length);
    z80ex_set_reg(cpu_, regIFF1, 0);
    z80ex_set_reg(cpu_, regIFF2, 0);
    z80ex_set_reg(cpu_, regPC, ld_bytes);

    const std::uint64_t deadline = now_ + load_budget;
    while (z80ex_get_reg(cpu_, regPC) != return_address) {
        // Two seconds of silence after the end of the tape: nothing more will come.
        if (now_ > deadline || (tape_ended_ && now_ > next_edge_ + 7'000'000)) {
            return false;
        }
        now_ += static_cast<std::uint64_t>(z80ex_step(cpu_));
    }
    return (z80ex_get_reg(cpu_, regAF) & 0x01) != 0;
}

// Each edge the tape reports comes with its flags and the time to the next one; the EAR level
// flips at every edge that is one, and some edges set it outright.
void SpectrumTapeDeck::play_tape_until(std::uint64_t time)
{
    while (!tape_ended_ && next_edge_ <= time) {
        libspectrum_dword gap = 0;
        int flags = 0;
        if (libspectrum_tape_get_next_edge(&gap, &flags, tape_) != LIBSPECTRUM_ERROR_NONE) {
            throw std::runtime_error("libspectrum cannot play the tape");
        }
        if ((flags & LIBSPECTRUM_TAPE_FLAGS_NO_EDGE) == 0) {
            ear_ = !ear_;
        }
        if ((flags & LIBSPECTRUM_TAPE_FLAGS_LEVEL_LOW) != 0) {
            ear_ = false;
        }
        if ((flags & LIBSPECTRUM_TAPE_FLAGS_LEVEL_HIGH) != 0) {
            ear_ = true;
        }
        tape_ended_ = (flags & LIBSPECTRUM_TAPE_FLAGS_TAPE) != 0;
        next_edge_ += gap;
    }
}

Z80EX_BYTE SpectrumTapeDeck::read_memory(Z80EX_CONTEXT*, Z80EX_WORD address, int, void* deck)
{
    return static_cast<SpectrumTapeDeck*>(deck)->memory_[address];
}

void SpectrumTapeDeck::write_memory(Z80EX_CONTEXT*, Z80EX_WORD address, Z80EX_BYTE value,
                                    void* deck)
{
    if (address >= 16384) {
        static_cast<SpectrumTapeDeck*>(deck)->memory_[address] = value;
    }
}

// Port 0xFE (any port with bit 0 clear): no key pressed, and the EAR level in bit 6, sampled
// at the very T-state of the IN instruction that reads it.
Z80EX_BYTE SpectrumTapeDeck::read_port(Z80EX_CONTEXT* cpu, Z80EX_WORD port, void* deck)
{
    auto* self = static_cast<SpectrumTapeDeck*>(deck);
    if ((port & 0x01) != 0) {
        return 0xFF;
    }
    self->play_tape_until(self->now_ + static_cast<std::uint64_t>(z80ex_op_tstate(cpu)));
    return self->ear_ ? 0xFF : 0xBF;
}

void SpectrumTapeDeck::write_port(Z80EX_CONTEXT*, Z80EX_WORD, Z80EX_BYTE, void*)
{
}

Z80EX_BYTE SpectrumTapeDeck::read_interrupt_vector(Z80EX_CONTEXT*, void*)
{
    return 0xFF;
}

ScreenLoad load_screen(const std::string& rom_file, const std::string& tape_file)
{
    SpectrumTapeDeck deck(rom_file, tape_file);
    ScreenLoad load{};
    load.header_loaded = deck.load_block(0x00, 0x8000, 17);
    if (load.header_loaded) {
        load.data_loaded = deck.load_block(0xFF, 16384, 6912);
    }
    const auto& memory = deck.memory();
    load.header.assign(memory.begin() + 0x8000, memory.begin() + 0x8000 + 17);
    load.screen.assign(memory.begin() + 16384, memory.begin() + 16384 + 6912);
    load.seconds = static_cast<double>(deck.tstates()) / 3.5e6;
    return load;
}
