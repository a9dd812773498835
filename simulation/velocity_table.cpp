#include "velocity_table.h"

std::unique_ptr<VelocityTable> VelocityTable::OfBodies(const std::vector<int32_t>& kept) const {
    std::vector<int32_t> components;
    std::vector<bool> given;
    for (const int32_t body : kept) {
        for (int32_t axis = 1; axis <= 3; ++axis) components.push_back(3 * (body - 1) + axis);
        given.push_back(this->given(body));
    }
    std::unique_ptr<DepthTable> depth = DepthOfBodies(*components_, components);
    if (!depth) return nullptr;
    return std::make_unique<VelocityTable>(std::move(depth), std::move(given));
}

std::unique_ptr<VelocityTable> AllocateVelocityCapacity(int32_t rowsBound, std::vector<bool> given,
                                                        int64_t rowsExpected) {
    const auto components = int32_t(3 * given.size());
    std::unique_ptr<DepthTable> depth = AllocateDepthCapacity(rowsBound, components, rowsExpected);
    if (!depth) return nullptr;
    return std::make_unique<VelocityTable>(std::move(depth), std::move(given));
}
