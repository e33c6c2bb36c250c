// Internal pool interface: pooled blocks, texts, counted large allocations
// and session heaps. Every block handed out here is preceded by an 8-byte
// header word: while the block is in use it holds the block's heap record
// with a tag in its low 4 bits (the size class 0..8, or one of the kTag
// values below); while the block is free it links the class's free list.
#ifndef TAVRIN_CORE_POOL_H
#define TAVRIN_CORE_POOL_H

#include <cstddef>
#include <cstdint>

#include "tavrin/core.h"

namespace tavrin {

constexpr int kSizeClassCount = 9;
constexpr std::size_t kPoolLimit = 248;
constexpr std::size_t kBlockHeader = 8;
constexpr std::size_t kMapChunkBytes = 65472;
constexpr std::size_t kListChunkBytes = 65504;
constexpr std::size_t kMapCellBytes = 64;   // link word + one map node
constexpr std::size_t kListCellBytes = 24;  // link word + one list node

constexpr unsigned kTagEmbeddedSession = 0xC;  // session placed in another session's heap
constexpr unsigned kTagSession = 0xD;          // session that owns its heap
constexpr unsigned kTagGeneral = 0xE;          // general allocator block (no record)
constexpr unsigned kTagLarge = 0xF;            // heap block above the pool limit

// Block size of each class (8 .. 248) and blocks per chunk.
extern const int kClassSizes[kSizeClassCount];
int BlocksPerChunk(int sizeClass);
// Size class for a request of n bytes (n <= 248), or -1 when the tables
// are not built.
int SizeClassOf(std::size_t n);
bool TablesBuilt();
int LiveSessions();

// Pooled allocation of n bytes from the record (general allocator when null).
void* PoolAlloc(HANDLEMA* heap, std::size_t n);
// Returns a block from PoolAlloc, TextAlloc or CountedAlloc. Null is ignored.
void PoolFree(void* block);
// An address inside the record's pool chunks (where its objects lie), or
// null when it has none yet.
const void* PoolAddressHint(const HANDLEMA* heap);
// Header tag of a block (size class or kTag value) and its heap record.
unsigned BlockTag(const void* block);
HANDLEMA* BlockHeap(const void* block);

// Debug mode (TAVRIN_POOL_DEBUG): whether it is built in, and whether a
// pooled block is free now (filled with the poison of freed blocks). A
// block never handed out, or handed out again, is not free. Always false
// without debug mode.
bool PoolDebug();
bool BlockFreed(const void* block);

// The one shared empty text; never freed.
char* SharedEmptyText();
// Text block of n bytes: the shared empty text for n < 2, else pooled.
char* TextAlloc(HANDLEMA* heap, std::size_t n);
// Releases a text block (null and the shared empty text are left alone).
void TextFree(char* text);
// The text setter: replaces `field` by a copy of `text`, reusing the block
// when its size class still fits. A null text clears the field. Returns false
// (field unchanged) when memory is exhausted.
bool SetText(HANDLEMA* heap, char*& field, const char* text);
// Counted large allocation of n bytes from the record's heap (a text block
// with header, releasable with TextFree).
char* CountedAlloc(HANDLEMA* heap, std::size_t n);

// Session heaps: creates a heap holding a record and a block of `size` bytes
// for the session object; returns the block (null on failure) and the record.
void* CreateSessionHeap(std::size_t size, HANDLEMA** record);
// Places a session block and a record of its own in an existing record's heap.
void* PlaceSessionInHeap(HANDLEMA* host, std::size_t size, HANDLEMA** record);
// Releases a session block: destroys its heap (own heap), frees it (general
// allocator) or leaves it to the host heap (placed session).
void ReleaseSessionBlock(void* block);

// Hands the record from an allocation operator to the root constructor.
void SetPendingHeap(HANDLEMA* heap);

}  // namespace tavrin

#endif
