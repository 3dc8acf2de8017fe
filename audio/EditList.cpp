// The edit list's tree: an AVL tree kept balanced by join, the one operation that rebuilds
// (only along one path) when two trees and a piece between them are put together. Split and
// concatenation are written with join, so they copy O(log n) nodes and share the rest.

#include "audio/EditList.h"

#include <algorithm>
#include <array>
#include <optional>

using NodePtr = std::shared_ptr<const EditList::Node>;

struct EditList::Node {
    Piece piece;
    NodePtr left;
    NodePtr right;
    uint64_t length = 0;  // frames in the subtree
    size_t count = 0;     // pieces in the subtree
    int height = 0;
};

namespace {

int HeightOf(const NodePtr& n) {
    return n ? n->height : 0;
}
uint64_t LengthOf(const NodePtr& n) {
    return n ? n->length : 0;
}
size_t CountOf(const NodePtr& n) {
    return n ? n->count : 0;
}

NodePtr Make(NodePtr left, Piece piece, NodePtr right) {
    auto n = std::make_shared<EditList::Node>();
    n->length = LengthOf(left) + piece.Length() + LengthOf(right);
    n->count = CountOf(left) + 1 + CountOf(right);
    n->height = 1 + std::max(HeightOf(left), HeightOf(right));
    n->piece = std::move(piece);
    n->left = std::move(left);
    n->right = std::move(right);
    return n;
}

// Join when the left tree is the taller by more than one: walk down its right spine to a
// subtree of about the right tree's height, hang the two there, rebalance on the way back.
// The rotations are written out as the nodes they end with, so that no node is made only to
// be rotated away at once.
NodePtr JoinRight(const NodePtr& left, Piece piece, NodePtr right) {
    const NodePtr& spine = left->right;
    if (HeightOf(spine) <= HeightOf(right) + 1) {
        if (std::max(HeightOf(spine), HeightOf(right)) <= HeightOf(left->left)) {
            return Make(left->left, left->piece, Make(spine, std::move(piece), std::move(right)));
        }
        // spine + piece + right is too tall: a double rotation lifts the spine's root.
        return Make(Make(left->left, left->piece, spine->left), spine->piece,
                    Make(spine->right, std::move(piece), std::move(right)));
    }
    NodePtr joined = JoinRight(spine, std::move(piece), std::move(right));
    if (HeightOf(joined) <= HeightOf(left->left) + 1) {
        return Make(left->left, left->piece, std::move(joined));
    }
    // One rotation to the left.
    return Make(Make(left->left, left->piece, joined->left), joined->piece, joined->right);
}

NodePtr JoinLeft(NodePtr left, Piece piece, const NodePtr& right) {
    const NodePtr& spine = right->left;
    if (HeightOf(spine) <= HeightOf(left) + 1) {
        if (std::max(HeightOf(spine), HeightOf(left)) <= HeightOf(right->right)) {
            return Make(Make(std::move(left), std::move(piece), spine), right->piece, right->right);
        }
        return Make(Make(std::move(left), std::move(piece), spine->left), spine->piece,
                    Make(spine->right, right->piece, right->right));
    }
    NodePtr joined = JoinLeft(std::move(left), std::move(piece), spine);
    if (HeightOf(joined) <= HeightOf(right->right) + 1) {
        return Make(std::move(joined), right->piece, right->right);
    }
    return Make(joined->left, joined->piece, Make(joined->right, right->piece, right->right));
}

NodePtr Join(NodePtr left, Piece piece, NodePtr right) {
    if (HeightOf(left) > HeightOf(right) + 1) {
        return JoinRight(left, std::move(piece), std::move(right));
    }
    if (HeightOf(right) > HeightOf(left) + 1) {
        return JoinLeft(std::move(left), std::move(piece), right);
    }
    return Make(std::move(left), std::move(piece), std::move(right));
}

// Removes the last piece of a non-empty tree.
std::pair<NodePtr, Piece> SplitLast(const NodePtr& n) {
    if (!n->right) {
        return {n->left, n->piece};
    }
    auto [rest, last] = SplitLast(n->right);
    return {Join(n->left, n->piece, rest), std::move(last)};
}

NodePtr Concat(const NodePtr& left, const NodePtr& right) {
    if (!left) {
        return right;
    }
    if (!right) {
        return left;
    }
    auto [rest, last] = SplitLast(left);
    return Join(rest, last, right);
}

std::pair<NodePtr, NodePtr> Split(const NodePtr& n, uint64_t position, EditList::Cut cut) {
    if (!n) {
        return {nullptr, nullptr};
    }
    const uint64_t offset = LengthOf(n->left);
    const uint64_t end = offset + n->piece.Length();
    if (offset >= position) {
        auto [l, r] = Split(n->left, position, cut);
        return {l, Join(r, n->piece, n->right)};
    }
    if (end < position || (end == position && cut == EditList::Cut::kInside)) {
        auto [l, r] = Split(n->right, position - end, cut);
        return {Join(n->left, n->piece, l), r};
    }
    // The position lies inside this piece (or at its end, cut there).
    const auto at = static_cast<uint32_t>(position - offset);
    Piece head = n->piece;
    Piece tail = n->piece;
    head.end = head.start + at;
    tail.start = head.end;
    return {Join(n->left, head, nullptr), Join(nullptr, tail, n->right)};
}

// Split's left part alone: the pieces Split would put left, as a tree without its last piece
// and that last piece apart (nothing when the part is empty), so that a caller can join it
// to another tree without first taking it off again.
std::pair<NodePtr, std::optional<Piece>> TakeParted(const NodePtr& n, uint64_t position,
                                                    EditList::Cut cut) {
    if (!n) {
        return {nullptr, std::nullopt};
    }
    const uint64_t offset = LengthOf(n->left);
    const uint64_t end = offset + n->piece.Length();
    if (offset >= position) {
        return TakeParted(n->left, position, cut);
    }
    if (end < position || (end == position && cut == EditList::Cut::kInside)) {
        auto [rest, last] = TakeParted(n->right, position - end, cut);
        if (!last) {
            return {n->left, n->piece};
        }
        return {Join(n->left, n->piece, rest), std::move(last)};
    }
    Piece head = n->piece;
    head.end = head.start + static_cast<uint32_t>(position - offset);
    return {n->left, std::move(head)};
}

// Split's left part alone.
NodePtr Take(const NodePtr& n, uint64_t position, EditList::Cut cut) {
    if (!n) {
        return nullptr;
    }
    const uint64_t offset = LengthOf(n->left);
    const uint64_t end = offset + n->piece.Length();
    if (offset >= position) {
        return Take(n->left, position, cut);
    }
    if (end < position || (end == position && cut == EditList::Cut::kInside)) {
        return Join(n->left, n->piece, Take(n->right, position - end, cut));
    }
    Piece head = n->piece;
    head.end = head.start + static_cast<uint32_t>(position - offset);
    return Join(n->left, std::move(head), nullptr);
}

// Split's right part alone.
NodePtr Drop(const NodePtr& n, uint64_t position, EditList::Cut cut) {
    if (!n) {
        return nullptr;
    }
    const uint64_t offset = LengthOf(n->left);
    const uint64_t end = offset + n->piece.Length();
    if (offset >= position) {
        return Join(Drop(n->left, position, cut), n->piece, n->right);
    }
    if (end < position || (end == position && cut == EditList::Cut::kInside)) {
        return Drop(n->right, position - end, cut);
    }
    Piece tail = n->piece;
    tail.start += static_cast<uint32_t>(position - offset);
    return Join(nullptr, std::move(tail), n->right);
}

// Take(to, kInside), then Drop(from, kAtEnd) of that, in one walk: down to the node whose
// piece the slice contains, then Drop on its left and Take on its right.
NodePtr Slice(const NodePtr& n, uint64_t from, uint64_t to) {
    if (!n) {
        return nullptr;
    }
    const uint64_t offset = LengthOf(n->left);
    const uint64_t end = offset + n->piece.Length();
    if (offset >= to) {
        return Slice(n->left, from, to);
    }
    if (end < from) {
        return Slice(n->right, from - end, to - end);
    }
    // The pieces on the left all end before `to`, those on the right begin at or after
    // `from`: each side is cut at one end only.
    Piece part = n->piece;
    if (from > offset) {
        part.start += static_cast<uint32_t>(from - offset);
    }
    if (to < end) {
        part.end -= static_cast<uint32_t>(end - to);
    }
    NodePtr right = to > end ? Take(n->right, to - end, EditList::Cut::kInside) : nullptr;
    return Join(Drop(n->left, from, EditList::Cut::kAtEnd), std::move(part), std::move(right));
}

NodePtr Build(const std::vector<Piece>& pieces, size_t from, size_t to) {
    if (from >= to) {
        return nullptr;
    }
    const size_t middle = from + (to - from) / 2;
    return Make(Build(pieces, from, middle), pieces[middle], Build(pieces, middle + 1, to));
}

void VisitAll(const NodePtr& n, const std::function<void(const Piece&)>& visit) {
    if (n) {
        VisitAll(n->left, visit);
        visit(n->piece);
        VisitAll(n->right, visit);
    }
}

}  // namespace

EditList EditList::Of(Piece piece) {
    return EditList(Make(nullptr, std::move(piece), nullptr));
}

EditList EditList::FromPieces(const std::vector<Piece>& pieces) {
    return EditList(Build(pieces, 0, pieces.size()));
}

uint64_t EditList::Length() const {
    return LengthOf(root);
}

size_t EditList::Count() const {
    return CountOf(root);
}

int EditList::Height() const {
    return HeightOf(root);
}

std::pair<EditList, EditList> EditList::Split(uint64_t position, Cut cut) const {
    auto [l, r] = ::Split(root, position, cut);
    return {EditList(std::move(l)), EditList(std::move(r))};
}

EditList EditList::Without(uint64_t from, uint64_t to) const {
    auto [rest, last] = TakeParted(root, from, Cut::kInside);
    NodePtr after = Drop(root, to, Cut::kInside);
    return last ? EditList(Join(rest, *last, after)) : EditList(std::move(after));
}

EditList EditList::Slice(uint64_t from, uint64_t to) const {
    return from <= to ? EditList(::Slice(root, from, to)) : EditList();
}

EditList EditList::Concat(const EditList& left, const EditList& right) {
    return EditList(::Concat(left.root, right.root));
}

EditList EditList::Joined(const EditList& left, Piece middle, const EditList& right) {
    return EditList(Join(left.root, middle, right.root));
}

bool EditList::VisitFrom(uint64_t position,
                         const std::function<bool(const Piece&, uint32_t)>& visit) const {
    // The path to the first piece ending at or after the position, holding every node still
    // to be visited after it; an AVL tree of 2^64 nodes is less than 93 high.
    std::array<const Node*, 96> pending;
    size_t depth = 0;
    uint64_t firstOffset = 0;
    uint64_t base = 0;
    for (const Node* n = root.get(); n != nullptr;) {
        const uint64_t offset = base + LengthOf(n->left);
        if (offset + n->piece.Length() >= position) {
            pending[depth++] = n;
            firstOffset = offset;
            n = n->left.get();
        } else {
            base = offset + n->piece.Length();
            n = n->right.get();
        }
    }
    if (depth == 0) {
        return false;
    }
    auto within = static_cast<uint32_t>(position - firstOffset);
    while (depth > 0) {
        const Node* n = pending[--depth];
        if (!visit(n->piece, within)) {
            break;
        }
        within = 0;
        for (const Node* next = n->right.get(); next != nullptr; next = next->left.get()) {
            pending[depth++] = next;
        }
    }
    return true;
}

void EditList::ForEach(const std::function<void(const Piece&)>& visit) const {
    VisitAll(root, visit);
}

std::vector<Piece> EditList::Pieces() const {
    std::vector<Piece> out;
    out.reserve(Count());
    ForEach([&](const Piece& p) { out.push_back(p); });
    return out;
}
