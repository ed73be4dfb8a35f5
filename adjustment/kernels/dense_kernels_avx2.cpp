// The dense kernels for processors with AVX2: this file alone is compiled for them (see CMakeLists.txt).
#define Eigen KdEigenAvx2
#define KD_KERNEL_SET kAvx2
#define KD_KERNEL_NAME "avx2"
#include "adjustment/kernels/dense_kernels.inc"
