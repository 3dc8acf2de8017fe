#include "audio/DecodedBlockCache.h"

#include <algorithm>
#include <cstring>

DecodedBlockCache::DecodedBlockCache(std::unique_ptr<SoundFileDecoder> decoder)
    : format(decoder->Format()) {
    streams[0].decoder = std::move(decoder);
}

template <typename BlockAt>
uint32_t DecodedBlockCache::ReadThrough(void* buffer, uint32_t n, uint64_t frame,
                                        const BlockAt& blockAt) const {
    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t delivered = 0;
    while (delivered < n && frame + delivered < format.frames) {
        const uint64_t at = frame + delivered;
        const uint64_t index = at / kBlockFrames;
        const std::shared_ptr<const Block> block = blockAt(index);
        if (!block) {
            break;
        }
        const uint64_t offset = at - index * kBlockFrames;
        const uint64_t inBlock = block->size() / 4;
        if (offset >= inBlock) {
            break;  // the decoder delivered less than the file announced
        }
        const auto count =
            static_cast<uint32_t>(std::min<uint64_t>(n - delivered, inBlock - offset));
        std::memcpy(out + size_t{delivered} * 4, block->data() + offset * 4, size_t{count} * 4);
        delivered += count;
    }
    return delivered;
}

uint32_t DecodedBlockCache::Read(void* buffer, uint32_t n, uint64_t frame) const {
    return ReadThrough(buffer, n, frame, [this](uint64_t index) {
        std::shared_ptr<const Block> block = Kept(index);
        return block ? block : Decoded(index);
    });
}

uint32_t DecodedBlockCache::ReadKept(void* buffer, uint32_t n, uint64_t frame,
                                     bool& missing) const {
    return ReadThrough(buffer, n, frame, [&](uint64_t index) {
        std::shared_ptr<const Block> block = Kept(index);
        missing = missing || !block;
        return block;
    });
}

std::shared_ptr<const DecodedBlockCache::Block> DecodedBlockCache::Kept(uint64_t index) const {
    const std::lock_guard lock(slotsMutex);
    for (Slot& slot : slots) {
        if (slot.index == index) {
            slot.lastUse = ++useClock;
            return slot.frames;
        }
    }
    return nullptr;
}

void DecodedBlockCache::Keep(uint64_t index, std::shared_ptr<const Block> frames) const {
    const std::lock_guard lock(slotsMutex);
    for (Slot& slot : slots) {
        if (slot.index == index) {
            slot.lastUse = ++useClock;  // another reader decoded it meanwhile
            return;
        }
    }
    if (slots.size() < kBlocksKept) {
        slots.push_back({index, ++useClock, std::move(frames)});
        return;
    }
    Slot& oldest = *std::min_element(slots.begin(), slots.end(), [](const Slot& a, const Slot& b) {
        return a.lastUse < b.lastUse;
    });
    oldest = {index, ++useClock, std::move(frames)};
}

DecodedBlockCache::Stream& DecodedBlockCache::LockStream(uint64_t start) const {
    // First a free decoder already standing at the block, then any free one, else wait for
    // the first.
    for (Stream& stream : streams) {
        if (stream.mutex.try_lock()) {
            if (stream.decoder && stream.decoder->Position() == start) {
                return stream;
            }
            stream.mutex.unlock();
        }
    }
    for (Stream& stream : streams) {
        if (stream.mutex.try_lock()) {
            return stream;
        }
    }
    streams[0].mutex.lock();
    return streams[0];
}

std::shared_ptr<const DecodedBlockCache::Block> DecodedBlockCache::Decoded(uint64_t index) const {
    const uint64_t start = index * kBlockFrames;
    const auto frames =
        static_cast<uint32_t>(std::min<uint64_t>(kBlockFrames, format.frames - start));
    auto block = std::make_shared<Block>(size_t{frames} * 4);
    Stream& stream = LockStream(start);
    const std::lock_guard lock(stream.mutex, std::adopt_lock);
    if (!stream.decoder) {
        stream.decoder = streams[0].decoder->Another();
        if (!stream.decoder) {
            return nullptr;
        }
    }
    const uint32_t got = stream.decoder->Decode(block->data(), frames, start);
    if (got == 0) {
        return nullptr;
    }
    block->resize(size_t{got} * 4);
    Keep(index, block);
    return block;
}
