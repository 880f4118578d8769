#pragma once
// The one question a staff save asks about colleagues' changes, in the window's language: each
// row with its colliding fields (what was read, what the colleague wrote, what the user typed)
// or that it is gone, the first ten rows and a count of the rest.

#include "staff/StaffStore.h"

#include <QString>
#include <vector>

// userName gives a grid row's user name, to tell the rows apart.
QString CollisionQuestion(const std::vector<StaffStore::Collision> &collisions,
                          const std::function<QString(int gridRow)> &userName);
