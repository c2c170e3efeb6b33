niveau0 Niveaux/niveau-1.niv
niveau1 Niveaux/niveau-2.niv
niveau2 Niveaux/niveau-3.niv
