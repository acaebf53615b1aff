#pragma once

// Work on many independent items spread over several threads, with the results handed on in the
// items' order: what one run prints does not depend on which thread finished first.

#include <cstddef>
#include <functional>
#include <string>

// Calls `produce` for every index below `count`, on up to `threads` threads, and passes each
// result to `consume` on the calling thread in index order. The items are taken a block at a
// time, so the first results are passed on before the last item is produced and memory stays
// bounded however many items there are.
void ProduceInOrder(size_t count, int threads, const std::function<std::string(size_t)>& produce,
                    const std::function<void(const std::string&)>& consume);
