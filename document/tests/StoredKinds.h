#pragma once

// Storable stand-ins for the math boxes, for the stream's tests, fuzz target and benchmark: a
// component with any number of child lists and a body that uses every value width the stream
// has. `Registration` installs them in the component factory for its lifetime, with guards.

#include "document/CompList.h"
#include "document/DocStream.h"
#include "document/Str255.h"
#include "document/TextComp.h"

#include <memory>
#include <vector>

namespace storedkinds {

class Stored final : public TextComp {
public:
    Stored(TypeTag tag, int32_t listCount) : m_tag(tag) {
        for (int32_t i = 0; i < listCount; ++i)
            AddList();
    }
    ~Stored() override = default;

    OwnedComponent Clone() const override {
        auto copy = std::make_unique<Stored>(m_tag, 0);
        copy->flag = flag;
        copy->level = level;
        copy->number = number;
        copy->value = value;
        copy->label = label;
        for (const auto& list : m_lists)
            copy->AddList(list->CopyChildren());
        return OwnedComponent(copy.release());
    }
    TypeTag GetTypeTag() const override { return m_tag; }
    int32_t GetListCount() const override { return static_cast<int32_t>(m_lists.size()); }
    CompList* GetList(int32_t n) const override {
        return n >= 1 && n <= GetListCount() ? m_lists[static_cast<size_t>(n - 1)].get() : nullptr;
    }
    bool IsEqual(const TextComp& other) const override {
        if (!(other.GetTypeTag() == m_tag)) return false;
        const auto& that = static_cast<const Stored&>(other);
        if (flag != that.flag || level != that.level || number != that.number ||
            value != that.value || !(label == that.label) || m_lists.size() != that.m_lists.size())
            return false;
        for (size_t i = 0; i < m_lists.size(); ++i)
            if (!m_lists[i]->IsEqual(*that.m_lists[i])) return false;
        return true;
    }

    void Write(DocStream& stream) const override {
        stream.WriteByte(flag);
        stream.WriteShort(level);
        stream.WriteLong(number);
        stream.WriteDouble(value);
        stream.WriteStr255(label, false);
        stream.WriteShort(static_cast<int16_t>(m_lists.size()));
        for (const auto& list : m_lists)
            list->Write(stream);
    }
    void Read(DocStream& stream) override {
        flag = stream.ReadByte();
        level = stream.ReadShort();
        number = stream.ReadLong();
        value = stream.ReadDouble();
        stream.ReadStr255(label, false);
        const int16_t lists = stream.ReadShort();
        // Every list needs at least its 4-byte count.
        stream.RequireBytes(int64_t{lists} * 4);
        m_lists.clear();
        for (int16_t i = 0; i < lists; ++i)
            AddList()->Read(stream);
    }

    CompList* AddList(CompArray&& children = CompArray()) {
        m_lists.push_back(std::make_unique<CompList>(std::move(children)));
        m_lists.back()->SetOwner(this, 1);
        return m_lists.back().get();
    }

    uint8_t flag = 0;
    int16_t level = 0;
    int32_t number = 0;
    double value = 0;
    Str255 label;

private:
    TypeTag m_tag;
    std::vector<std::unique_ptr<CompList>> m_lists;
};

// The kinds a tree is built from, with the number of lists a new one starts with.
struct Kind {
    TypeTag tag;
    int32_t lists;
};
inline constexpr Kind kKinds[] = {
    {tags::Fraction, 2},
    {tags::Radical, 1},
    {tags::Matrix, 4},
    {tags::Link, 0},
};

class Registration {
public:
    // A freshly read component starts without lists: its record says how many it has.
    static OwnedComponent New(int index) {
        return OwnedComponent(new Stored(kKinds[index].tag, 0));
    }

private:
    Installed<TextComp::Creator> m_fraction{TextComp::KindSlot(tags::Fraction),
                                            [] { return New(0); }};
    Installed<TextComp::Creator> m_radical{TextComp::KindSlot(tags::Radical),
                                           [] { return New(1); }};
    Installed<TextComp::Creator> m_matrix{TextComp::KindSlot(tags::Matrix), [] { return New(2); }};
    Installed<TextComp::Creator> m_link{TextComp::KindSlot(tags::Link), [] { return New(3); }};
};

} // namespace storedkinds
