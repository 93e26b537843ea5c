# Every target of ours gets the same warnings through this interface library.
add_library(melvora_warnings INTERFACE)
add_library(Melvora::warnings ALIAS melvora_warnings)
target_compile_options(melvora_warnings INTERFACE -Wall -Wextra -Wpedantic)
# GCC 12 warns when a designated initializer leaves out members that have default initializers,
# which is exactly how our options structs are meant to be used.
target_compile_options(melvora_warnings INTERFACE -Wno-missing-field-initializers)
if(MELVORA_WERROR)
  target_compile_options(melvora_warnings INTERFACE -Werror)
endif()
# Bounds-checked standard containers in every build but Release.
target_compile_definitions(melvora_warnings INTERFACE $<$<NOT:$<CONFIG:Release>>:_GLIBCXX_ASSERTIONS>)
