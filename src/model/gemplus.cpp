namespace marvolt {}
