#pragma once

// The names a shared library exports, read from the dynamic symbol table of its file: what a
// program that loads it can find, whatever the version script or visibility made of it.

#include <elf.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>

namespace tessary::testing {

// The defined global and weak symbols of the library's dynamic symbol table.
inline std::set<std::string> exportedSymbols(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string image((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::set<std::string> names;
    if (image.size() < sizeof(Elf64_Ehdr)) return names;
    auto* header = reinterpret_cast<const Elf64_Ehdr*>(image.data());
    auto* sections = reinterpret_cast<const Elf64_Shdr*>(image.data() + header->e_shoff);
    for (int i = 0; i < header->e_shnum; ++i) {
        if (sections[i].sh_type != SHT_DYNSYM) continue;
        const char* strings = image.data() + sections[sections[i].sh_link].sh_offset;
        auto* symbols = reinterpret_cast<const Elf64_Sym*>(image.data() + sections[i].sh_offset);
        std::size_t count = sections[i].sh_size / sizeof(Elf64_Sym);
        for (std::size_t s = 1; s < count; ++s) {
            int binding = ELF64_ST_BIND(symbols[s].st_info);
            if (symbols[s].st_shndx != SHN_UNDEF && (binding == STB_GLOBAL || binding == STB_WEAK))
                names.insert(strings + symbols[s].st_name);
        }
    }
    return names;
}

} // namespace tessary::testing
