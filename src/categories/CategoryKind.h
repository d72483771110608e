#pragma once

#include <QString>

// The kinds of category a ContactType row can be (its Type field).
namespace CategoryKind {

enum : int {
    JobTitle = 1,
    ContactMethod = 2,
    RelationshipGroup = 3,
};

// The caption an opener gives the category manager for a kind.
QString managerCaption(int kind);

} // namespace CategoryKind
