#pragma once

// When one sync would delete so many contacts on one side that it looks like an emptied phone or
// an address book recreated at the same address rather than a person's deletions, it stops first
// and asks.
namespace DeletionGuard {

constexpr int mostWithoutAsking = 10;

// deleting of total on one side.
constexpr bool asksFirst(int deleting, int total)
{
    return deleting > mostWithoutAsking && deleting * 5 > total;
}

} // namespace DeletionGuard
