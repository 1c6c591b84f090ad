#pragma once

#include <array>
#include <cstdint>
#include <libspectrum.h>
#include <string>
#include <vector>
#include <z80ex/z80ex.h>

// A 48K Spectrum cut down to what its ROM's tape loader touches: 64 KiB of memory with a ROM
// image at 0x0000, the EAR input on port 0xFE, and a tape whose pulses are played against the
// emulated Z80's own clock. Loading runs the ROM's LD-BYTES routine, so a block loads exactly
// when a real Spectrum would accept it.
class SpectrumTapeDeck
{
  public:
    // tape_file is a tape as an emulator opens one: a TAP image, or a WAV recording of the
    // tape's sound, told apart by libspectrum from its name and bytes. Throws
    // std::runtime_error when the ROM or the tape cannot be read.
    SpectrumTapeDeck(const std::string& rom_file, const std::string& tape_file);
    ~SpectrumTapeDeck();
    SpectrumTapeDeck(const SpectrumTapeDeck&) = delete;
    SpectrumTapeDeck& operator=(const SpectrumTapeDeck&) = delete;

    // Runs LD-BYTES at 0x0556 to load the next block on the tape: A holds the flag byte
    // expected, carry set asks for a load, IX the destination, DE the length. True when the
    // routine returned with carry set (flag, length and parity all good) within a generous
    // time; false when it returned with carry clear or never returned.
    bool load_block(std::uint8_t flag, std::uint16_t address, std::uint16_t length);

    const std::array<std::uint8_t, 65536>& memory() const
    {
        return memory_;
    }

    // T-states the tape has played so far, at 3.5 MHz.
    std::uint64_t tstates() const
    {
        return now_;
    }

  private:
    static Z80EX_BYTE read_memory(Z80EX_CONTEXT*, Z80EX_WORD address, int, void* deck);
    static void write_memory(Z80EX_CONTEXT*, Z80EX_WORD address, Z80EX_BYTE value, void* deck);
    static Z80EX_BYTE read_port(Z80EX_CONTEXT* cpu, Z80EX_WORD port, void* deck);
    static void write_port(Z80EX_CONTEXT*, Z80EX_WORD, Z80EX_BYTE, void*);
    static Z80EX_BYTE read_interrupt_vector(Z80EX_CONTEXT*, void*);

    void play_tape_until(std::uint64_t time);

    std::array<std::uint8_t, 65536> memory_{};
    Z80EX_CONTEXT* cpu_ = nullptr;
    libspectrum_tape* tape_ = nullptr;
    std::uint64_t now_ = 0;       // T-states since the tape started
    std::uint64_t next_edge_ = 0; // when the tape's next edge is due
    bool ear_ = false;
    bool tape_ended_ = false;
};

// What LOAD "" SCREEN$ loads from a tape: the header block at 0x8000, then the screen at 16384.
struct ScreenLoad {
    bool header_loaded;
    bool data_loaded;
    std::vector<std::uint8_t> header; // the 17 header bytes as loaded
    std::vector<std::uint8_t> screen; // 6912 bytes from 16384
    double seconds;                   // tape time played
};

// Loads tape_file's header block, and then its screen, through the ROM in rom_file.
ScreenLoad load_screen(const std::string& rom_file, const std::string& tape_file);
