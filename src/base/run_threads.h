// Work shared out over threads: `work` runs on n threads, the caller's among
// them, and RunOnThreads returns when every copy has.
#pragma once

#include <thread>
#include <vector>

template <class F>
void RunOnThreads(int n, const F& work)
{
    std::vector<std::thread> pool;
    for (int t = 1; t < n; ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
}
