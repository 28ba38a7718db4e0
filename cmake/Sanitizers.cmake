# KVA_SANITIZE=address builds everything with AddressSanitizer + UndefinedBehaviorSanitizer,
# KVA_SANITIZE=thread with ThreadSanitizer. Any finding aborts the run.
set(KVA_SANITIZE "" CACHE STRING "Sanitizer build: empty, address or thread")

if(KVA_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined -fno-sanitize-recover=all)
elseif(KVA_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT KVA_SANITIZE STREQUAL "")
  message(FATAL_ERROR "KVA_SANITIZE must be empty, address or thread")
endif()
