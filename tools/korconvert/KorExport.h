// Export: a ".kor" file becomes glTF 2.0 (".gltf" with its ".bin", or ".glb"), or OBJ with its
// material library, written by Open Asset Import Library, with every texture as a PNG: inside
// a ".glb", beside the other formats' files.
//
// - Each object becomes a node of the same tree. An object has two matrices where a node has
//   one: the node gets the object's transform exactly as the renderer composes it, Local x Base.
//   The root node's is followed by the half turn about x that takes the renderer's y-down axes
//   to the format's y-up ones (the inverse of what import does).
// - The node's name is the object's Tag when it reads as text, else "object N" (N in file
//   order).
// - Textured faces become triangles (each face's fan, corners reversed: front faces run
//   clockwise here, counter-clockwise in glTF and OBJ), one mesh per texture the object uses,
//   with positions, normals, texture coordinates and vertex colours. An object whose faces use
//   one texture keeps its vertices as they are, in order.
// - Points become a separate mesh of point primitives. Untextured faces (which the renderer
//   never draws) and face flags are not kept.
#pragma once

#include <string>

// Throws EKorConvertError (or the loader's EKorModelError) naming what is wrong.
void ExportKor(const std::string& InPath, const std::string& OutPath);
