// The alignment the compiler assumes of operator new is the alignment the
// 32-bit C runtime's malloc gives: 8 bytes. With the compiler's default of
// 16, a type aligned to 16 would come from the plain operator new, 8-aligned,
// and code built for 16 would be handed it. The toolchain file
// (cmake/mingw-w64-i686.cmake) passes -faligned-new=8 to every C++ file;
// this file is compiled into every target that links this layer, so none is
// built without it.
namespace torv::win {

static_assert(__STDCPP_DEFAULT_NEW_ALIGNMENT__ == 8,
              "operator new is 8-aligned in the 32-bit C runtime: build with -faligned-new=8 "
              "(cmake/mingw-w64-i686.cmake; configure the build folder afresh)");

}  // namespace torv::win
