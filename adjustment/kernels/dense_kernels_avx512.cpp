// The dense kernels for processors with AVX512: this file alone is compiled for them (see CMakeLists.txt).
#define Eigen KdEigenAvx512
#define KD_KERNEL_SET kAvx512
#define KD_KERNEL_NAME "avx512"
#include "adjustment/kernels/dense_kernels.inc"
