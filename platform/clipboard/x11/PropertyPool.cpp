#include "platform/clipboard/x11/PropertyPool.h"

#include <algorithm>

namespace vardelo {

PropertyPool::PropertyPool(std::uint32_t incr)
    : m_incr(incr)
{ }

void PropertyPool::add(std::uint32_t property)
{
    m_free.push_back(property);
}

std::optional<std::uint32_t> PropertyPool::take()
{
    if (m_free.empty()) {
        return std::nullopt;
    }
    const std::uint32_t property = m_free.back();
    m_free.pop_back();
    return property;
}

void PropertyPool::giveUp(std::uint32_t property, const Attempt& attempt)
{
    m_givenUp.push_back({property, attempt});
}

bool PropertyPool::answered(std::uint32_t time, std::uint32_t target, std::uint32_t property)
{
    if (property == 0) {
        // A refusal names no property, but an owner answers in turn: it is the oldest request of its kind.
        const auto refused = std::find_if(m_givenUp.begin(), m_givenUp.end(), [&](const GivenUp& entry) {
            return entry.attempt.stage == Stage::Unanswered && entry.attempt.time == time
                && entry.attempt.target == target;
        });
        if (refused != m_givenUp.end()) {
            release(refused);
        }
        return false;
    }
    const auto entry = find(property);
    if (entry == m_givenUp.end() || entry->attempt.stage != Stage::Unanswered) {
        return false;
    }
    entry->attempt.stage = Stage::Answered;
    return true;
}

bool PropertyPool::reclaim(std::uint32_t property, std::uint32_t owner, std::uint32_t time, std::uint32_t target)
{
    const auto entry = find(property);
    if (entry == m_givenUp.end() || entry->attempt.stage != Stage::Unanswered || entry->attempt.owner != owner
        || entry->attempt.time != time || entry->attempt.target != target) {
        return false;
    }
    m_givenUp.erase(entry);
    return true;
}

bool PropertyPool::valueWritten(std::uint32_t property)
{
    const auto entry = find(property);
    // An unanswered owner is writing its answer; its SelectionNotify follows.
    if (entry == m_givenUp.end() || entry->attempt.stage == Stage::Unanswered
        || entry->attempt.stage == Stage::Abandoned) {
        return false;
    }
    // After an answer has been deleted, only an owner that sends chunks writes again.
    entry->attempt.stage = Stage::Chunked;
    return true;
}

void PropertyPool::inspected(std::uint32_t property, std::uint32_t type, std::uint32_t bytes)
{
    const auto entry = find(property);
    if (entry == m_givenUp.end()) {
        return;
    }
    switch (entry->attempt.stage) {
    case Stage::Unanswered:
    case Stage::Abandoned:
        return;
    case Stage::Answered:
        if (type == m_incr) {
            entry->attempt.stage = Stage::Chunked;
        } else {
            release(entry);
        }
        return;
    case Stage::Chunked:
        // A chunk of no bytes ends the answer.
        if (type != 0 && type != m_incr && bytes == 0) {
            release(entry);
        }
        return;
    }
}

void PropertyPool::ownerGone(std::uint32_t owner)
{
    std::erase_if(m_givenUp, [&](const GivenUp& entry) {
        if (entry.attempt.owner != owner) {
            return false;
        }
        m_free.push_back(entry.property);
        return true;
    });
}

std::size_t PropertyPool::heldBy(std::uint32_t owner) const
{
    return static_cast<std::size_t>(std::count_if(m_givenUp.begin(), m_givenUp.end(),
        [&](const GivenUp& entry) { return entry.attempt.owner == owner && entry.attempt.stage != Stage::Abandoned; }));
}

std::vector<std::uint32_t> PropertyPool::owners() const
{
    std::vector<std::uint32_t> owners;
    for (const GivenUp& entry : m_givenUp) {
        if (std::find(owners.begin(), owners.end(), entry.attempt.owner) == owners.end()) {
            owners.push_back(entry.attempt.owner);
        }
    }
    return owners;
}

std::vector<PropertyPool::GivenUp>::iterator PropertyPool::find(std::uint32_t property)
{
    return std::find_if(
        m_givenUp.begin(), m_givenUp.end(), [&](const GivenUp& entry) { return entry.property == property; });
}

void PropertyPool::release(std::vector<GivenUp>::iterator entry)
{
    m_free.push_back(entry->property);
    m_givenUp.erase(entry);
}

} // namespace vardelo
