// The dense kernels for every x86-64 processor (the build's own flags).
#define Eigen KdEigenGeneric
#define KD_KERNEL_SET kGeneric
#define KD_KERNEL_NAME "generic"
#include "adjustment/kernels/dense_kernels.inc"
