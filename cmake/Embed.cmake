# Embeds files in the program: each file becomes a byte array in a generated
# source, regenerated when the file changes. The array of src/ui/res/x.bmp is
#   extern const unsigned char qm_res_x_bmp[];  extern const std::size_t qm_res_x_bmp_size;
set(QM_EMBED_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/EmbedFile.cmake)

function(qm_embed_files out_var)
  set(outputs)
  foreach(file IN LISTS ARGN)
    get_filename_component(name ${file} NAME)
    string(MAKE_C_IDENTIFIER "qm_res_${name}" symbol)
    set(output ${CMAKE_BINARY_DIR}/embedded/${symbol}.cpp)
    add_custom_command(
      OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -DINPUT=${CMAKE_SOURCE_DIR}/${file} -DOUTPUT=${output} -DSYMBOL=${symbol}
              -P ${QM_EMBED_SCRIPT}
      DEPENDS ${CMAKE_SOURCE_DIR}/${file} ${QM_EMBED_SCRIPT}
      COMMENT "Embedding ${file}")
    list(APPEND outputs ${output})
  endforeach()
  set(${out_var} ${outputs} PARENT_SCOPE)
endfunction()
