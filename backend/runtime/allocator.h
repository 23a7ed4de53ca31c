#pragma once

namespace backend {

/// Keeps the memory that requests free for the requests that follow. By default glibc hands
/// blocks of a few hundred kilobytes back to the system as soon as they are free, so that every
/// large mail faults the same pages in again and an engine's time grows faster than the mail.
/// Called once by the server before it starts its threads, and by the benchmarks that stand in
/// for it.
void keepFreedMemoryForRequests();

} // namespace backend
