#include "DSP/Misc/IndexArray.hpp"

namespace DSP {

IndexArray::IndexArray(int size) : Array<int>(size, 1) {
    Reset();
}

void IndexArray::Reset() {
    for (int i = 0; i < Size(); ++i)
        (*this)[i] = i;
}

} // namespace DSP
