#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "audio/Level.h"
#include "audio/Segment.h"

class WaveFile;

/// One piece of an edit list: frames [start, end) of a source it keeps alive, read at `level`.
struct Piece {
    uint32_t start = 0;
    uint32_t end = 0;
    std::shared_ptr<const WaveFile> file;
    PieceLevel level{};

    uint32_t Length() const { return end - start; }
};

/// An immutable sequence of pieces with their running frame positions: a persistent,
/// height-balanced tree in which every node also holds the length and count of its subtree.
///
/// Finding the piece at a position, splitting at a position and concatenating are O(log n).
/// Every operation returns a new list that shares all unchanged nodes with its inputs, so a
/// list (a snapshot) can be read on any thread while others are made from it.
///
///     EditList all = EditList::Of(piece);
///     auto [head, tail] = all.Split(1000, EditList::Cut::kInside);
///     EditList swapped = EditList::Concat(tail, head);
class EditList {
public:
    /// Where a piece ending exactly at the split position goes.
    enum class Cut {
        kInside,  // stays whole on the left
        kAtEnd,   // is cut there: itself on the left, a zero-length rest on the right
    };

    EditList() = default;
    static EditList Of(Piece piece);
    /// A balanced list of the pieces in order, in O(n).
    static EditList FromPieces(const std::vector<Piece>& pieces);

    uint64_t Length() const;
    size_t Count() const;
    bool Empty() const { return root == nullptr; }

    /// Splits at frame `position`. Pieces beginning at or after it go right, pieces ending
    /// before it go left, and a piece with the position strictly inside is cut in two. A
    /// zero-length piece at the position goes right.
    std::pair<EditList, EditList> Split(uint64_t position, Cut cut) const;

    /// Concat(Split(from, kInside).first, Split(to, kInside).second) in one pass: the list
    /// with the frames [from, to) taken out, for from <= to.
    EditList Without(uint64_t from, uint64_t to) const;

    /// Split(to, kInside).first.Split(from, kAtEnd).second in one walk, for from <= to:
    /// the pieces beginning before `to` and ending at or after `from`, cut to [from, to) (a
    /// piece ending exactly at `from` leaves a zero-length piece). Empty for from > to.
    EditList Slice(uint64_t from, uint64_t to) const;

    static EditList Concat(const EditList& left, const EditList& right);

    /// left, then `middle`, then right: Concat(Concat(left, Of(middle)), right) in one join.
    static EditList Joined(const EditList& left, Piece middle, const EditList& right);

    /// Visits the pieces in order from the first one whose end is at or after `position`,
    /// with the frame offset inside it where the position falls (0 for the later ones), until
    /// `visit` returns false. False when no piece ends at or after the position.
    bool VisitFrom(uint64_t position,
                   const std::function<bool(const Piece&, uint32_t within)>& visit) const;

    /// Visits every piece in order.
    void ForEach(const std::function<void(const Piece&)>& visit) const;

    std::vector<Piece> Pieces() const;

    /// Height of the tree: stays within 1.45 log2(n + 2).
    int Height() const;

    struct Node;

private:
    explicit EditList(std::shared_ptr<const Node> tree) : root(std::move(tree)) {}

    std::shared_ptr<const Node> root;
};
