#include "axial_buckets.h"

#include <algorithm>

AxialBuckets::AxialBuckets(std::span<const Vector3> data, double cellSize) {
    cell_ = std::clamp(cellSize, 0.02, 2.0);
    nx_ = static_cast<int>(std::ceil(2.0 / cell_));
    nz_ = static_cast<int>(std::ceil(1.0 / cell_));
    const std::size_t cubes = static_cast<std::size_t>(nx_) * nx_ * nz_;
    std::vector<int> cubeOf(data.size());
    std::vector<int> count(cubes + 1, 0);
    auto lower = [&](std::size_t i) {
        const Vector3& u = data[i];
        return u.z < 0.0 ? Vector3{-u.x, -u.y, -u.z} : u;
    };
    for (std::size_t i = 0; i < data.size(); ++i) {
        const Vector3 u = lower(i);
        const std::size_t cube =
            (static_cast<std::size_t>(CellOf(u.z, 0.0, nz_)) * nx_ + CellOf(u.y, -1.0, nx_)) * nx_ +
            CellOf(u.x, -1.0, nx_);
        cubeOf[i] = static_cast<int>(cube);
        ++count[cube + 1];
    }
    for (std::size_t c = 0; c < cubes; ++c) {
        count[c + 1] += count[c];
    }
    start_ = count;
    ends_ = MakeGridArray<Vector3>(data.size());
    size_ = data.size();
    for (std::size_t i = 0; i < data.size(); ++i) {
        ends_[static_cast<std::size_t>(count[static_cast<std::size_t>(cubeOf[i])]++)] = lower(i);
    }
}
