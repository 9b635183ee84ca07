// Access to two- and one-dimensional string arrays, whether the client's or the library's own.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qv {

// A string array with up to two dimensions (dimension numbers 1 and 2).
class StringArray {
public:
    virtual ~StringArray() = default;
    // Is the array dimensioned at all?
    virtual bool dimensioned() const = 0;
    virtual int32_t lbound(int dim) const = 0;
    virtual int32_t ubound(int dim) const = 0;
    // Cells outside the bounds read as "" and ignore writes.
    virtual std::string get(int32_t i, int32_t j = 0) const = 0;
    virtual void set(int32_t i, int32_t j, const std::string& value) = 0;
};

// A library-owned array with given bounds; dimension 2 is optional (lb2 = ub2 = 0 for 1-D).
class OwnedStringArray final : public StringArray {
public:
    OwnedStringArray(int32_t lb1, int32_t ub1, int32_t lb2 = 0, int32_t ub2 = 0)
        : lb_{lb1, lb2}, ub_{ub1, ub2} {
        int64_t n1 = ub1 >= lb1 ? int64_t(ub1) - lb1 + 1 : 0;
        int64_t n2 = ub2 >= lb2 ? int64_t(ub2) - lb2 + 1 : 0;
        cells_.resize(size_t(n1 * n2));
    }
    bool dimensioned() const override { return true; }
    int32_t lbound(int dim) const override { return dim == 1 ? lb_[0] : dim == 2 ? lb_[1] : 0; }
    int32_t ubound(int dim) const override { return dim == 1 ? ub_[0] : dim == 2 ? ub_[1] : 0; }
    std::string get(int32_t i, int32_t j = 0) const override {
        auto k = index(i, j);
        return k < 0 ? std::string() : cells_[size_t(k)];
    }
    void set(int32_t i, int32_t j, const std::string& value) override {
        auto k = index(i, j);
        if (k >= 0) cells_[size_t(k)] = value;
    }

private:
    int64_t index(int32_t i, int32_t j) const {
        if (i < lb_[0] || i > ub_[0] || j < lb_[1] || j > ub_[1]) return -1;
        return (int64_t(j) - lb_[1]) * (int64_t(ub_[0]) - lb_[0] + 1) + (int64_t(i) - lb_[0]);
    }
    int32_t lb_[2], ub_[2];
    std::vector<std::string> cells_;
};

}  // namespace qv
