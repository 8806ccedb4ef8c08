#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vardelo {

/// The properties of the reader's window that clipboard owners are asked to write their answers to, and
/// what becomes of one whose attempt was given up.
///
/// An owner answers a request it was given up on whenever it gets round to it, and a chunked answer goes
/// on coming, so such a property is lent again only once its owner is done with it or gone. Whatever the
/// owner puts there meanwhile is looked at and deleted, so the X server keeps none of it; deleting a
/// chunk asks for the next, which drains a chunked answer to its end.
class PropertyPool final
{
public:
    /// How far the owner had got with an attempt when it was given up.
    enum class Stage
    {
        /// It had not answered.
        Unanswered,
        /// It had answered; what the property held is still to be looked at, and tells whether chunks follow.
        Answered,
        /// It sends its answer in chunks.
        Chunked,
        /// It sends its answer in chunks and waits for the last one to be deleted, which is left to it: an
        /// answer too large to take. Lent again once its owner is gone; it counts as no attempt held.
        Abandoned,
    };

    /// The attempt given up: whom it asked, with which time and target.
    struct Attempt
    {
        std::uint32_t owner = 0;
        std::uint32_t time = 0;
        std::uint32_t target = 0;
        Stage stage = Stage::Unanswered;
    };

    /// incr: the atom INCR, the type that starts a chunked answer.
    explicit PropertyPool(std::uint32_t incr);

    /// A property free to lend: a new one, or one whose attempt ended with its owner done with it.
    void add(std::uint32_t property);
    /// A free property, which is the caller's until it adds it back or gives it up; nothing when none is free.
    std::optional<std::uint32_t> take();
    /// The attempt on a property was given up.
    void giveUp(std::uint32_t property, const Attempt& attempt);
    std::size_t freeCount() const { return m_free.size(); }

    /// A SelectionNotify that belongs to no current attempt. True: look at the property and delete it
    /// (GetProperty of no length, then DeleteProperty) and report to inspected().
    [[nodiscard]] bool answered(std::uint32_t time, std::uint32_t target, std::uint32_t property);
    /// A late answer on a property given up on, from the owner and to the request the caller asks again:
    /// as good as the answer to the new request, and sooner. True: the property is the caller's again.
    [[nodiscard]] bool reclaim(std::uint32_t property, std::uint32_t owner, std::uint32_t time, std::uint32_t target);
    /// A new value in a property that is not lent. True: look at it and delete it, as above.
    [[nodiscard]] bool valueWritten(std::uint32_t property);
    /// What a property that was given up held when it was looked at or read: its type (0: nothing) and size.
    void inspected(std::uint32_t property, std::uint32_t type, std::uint32_t bytes);
    /// The owner's window is gone, and with it anything more it could write.
    void ownerGone(std::uint32_t owner);

    /// How many given-up properties this owner may still write to.
    std::size_t heldBy(std::uint32_t owner) const;
    /// The owners that may still write to a given-up property, each once.
    std::vector<std::uint32_t> owners() const;

private:
    struct GivenUp
    {
        std::uint32_t property = 0;
        Attempt attempt;
    };

    std::vector<GivenUp>::iterator find(std::uint32_t property);
    void release(std::vector<GivenUp>::iterator entry);

    std::uint32_t m_incr;
    std::vector<std::uint32_t> m_free;
    /// In the order the attempts were given up, which is the order an owner answers them in.
    std::vector<GivenUp> m_givenUp;
};

} // namespace vardelo
