#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>

namespace ruvo {

// The classic fitting routines count from 1, as their descriptions do, and walk vectors with a
// stride. These two views are the only place where 1-based indices meet 0-based storage:
//   OneBased v:          v(i)    is first[(i - 1) * stride]
//   ColumnMajorMatrix g: g(i, j) is data[(j - 1) * leading + (i - 1)]
// They do not own the storage and do not check bounds; the routines that use them check their
// arguments first.
template <typename T>
class OneBased {
 public:
  OneBased(T* first, std::ptrdiff_t stride = 1) : data(first), step(stride) {}
  OneBased(std::span<T> storage) : data(storage.data()), step(1) {}
  template <typename U>
  requires std::is_same_v<const U, T> OneBased(OneBased<U> other) : data(other.Address(1)), step(other.Stride()) {}

  T& operator()(std::int64_t i) const { return data[(i - 1) * step]; }
  T* Address(std::int64_t i) const { return data + (i - 1) * step; }
  std::ptrdiff_t Stride() const { return step; }
  // The same vector with element i as its first element.
  OneBased From(std::int64_t i) const { return OneBased(Address(i), step); }

 private:
  T* data;
  std::ptrdiff_t step;
};

// A column-major matrix (or a block of one) of rows x columns doubles, whose columns lie
// `leading` doubles apart in the storage.
class ColumnMajorMatrix {
 public:
  // The whole of storage as a matrix with rowCount rows; a partial last column is not counted.
  ColumnMajorMatrix(std::span<double> storage, std::int32_t rowCount)
      : data(storage.data()),
        leading(rowCount),
        rowTotal(rowCount),
        columnTotal(rowCount > 0 ? static_cast<std::int32_t>(storage.size() / static_cast<std::size_t>(rowCount)) : 0) {
  }

  double& operator()(std::int64_t i, std::int64_t j) const { return data[(j - 1) * leading + (i - 1)]; }
  std::int32_t rows() const { return rowTotal; }
  std::int32_t columns() const { return columnTotal; }

  // Row i, walking across the columns; column j from row i down.
  OneBased<double> Row(std::int64_t i) const { return {&(*this)(i, 1), leading}; }
  OneBased<double> Column(std::int64_t j, std::int64_t fromRow = 1) const { return {&(*this)(fromRow, j), 1}; }
  // The block whose element (1, 1) is element (i, j) of this matrix.
  ColumnMajorMatrix Block(std::int32_t i, std::int32_t j) const {
    return ColumnMajorMatrix(&(*this)(i, j), leading, rowTotal - i + 1, columnTotal - j + 1);
  }

 private:
  ColumnMajorMatrix(double* first, std::ptrdiff_t stride, std::int32_t rowCount, std::int32_t columnCount)
      : data(first), leading(stride), rowTotal(rowCount), columnTotal(columnCount) {}

  double* data;
  std::ptrdiff_t leading;
  std::int32_t rowTotal;
  std::int32_t columnTotal;
};

}  // namespace ruvo
