#pragma once
// How a digest engine reaches the implementation of its processor path: none
// until the first use, which takes the best path this processor runs; a test
// or the benchmark may pin another (Use). Engines on several threads may race
// to store the same choice.

#include <atomic>

namespace lumbrix {

template <typename Path, typename Kernel>
class KernelDispatch {
public:
    using KernelOf = Kernel (*)(Path) noexcept;
    using BestPath = Path (*)() noexcept;
    using CanRun = bool (*)(Path) noexcept;

    constexpr KernelDispatch(KernelOf kernelOf, BestPath bestPath, CanRun canRun) noexcept
        : kernelOf_(kernelOf), bestPath_(bestPath), canRun_(canRun)
    {
    }

    Kernel Active() noexcept
    {
        Kernel kernel = kernel_.load(std::memory_order_acquire);
        if (!kernel) {
            Use(bestPath_());
            kernel = kernel_.load(std::memory_order_acquire);
        }
        return kernel;
    }

    Path ActivePath() noexcept
    {
        Active();
        return path_.load(std::memory_order_relaxed);
    }

    // False, and nothing changed, when the path cannot run here.
    bool Use(Path path) noexcept
    {
        if (!canRun_(path)) return false;
        path_.store(path, std::memory_order_relaxed);
        kernel_.store(kernelOf_(path), std::memory_order_release);
        return true;
    }

private:
    KernelOf kernelOf_;
    BestPath bestPath_;
    CanRun canRun_;
    std::atomic<Kernel> kernel_{nullptr};
    std::atomic<Path> path_{};
};

} // namespace lumbrix
